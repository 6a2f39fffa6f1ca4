// The help pages and the station program's homepage, opened in the default browser.
#pragma once

#include <QString>

// The help page of the language (1031 German, 1036 French, else English): help/<lang>/index.html
// beside the program or in its installed data folder; "" when there is none.
QString HelpPagePath(unsigned short langId, const QString& programDirectory);

// Opens the help page of the language; a missing page is not reported.
void OpenHelp(unsigned short langId);

// Opens the weather station program's homepage.
void OpenHomepage();
