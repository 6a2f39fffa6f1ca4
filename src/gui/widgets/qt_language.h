// Qt's own texts (standard buttons, the file and colour dialogs, the menus of edit fields) and
// its date formats in the program's language rather than the system's.
#pragma once

// 1031 German, 1036 French, anything else English.
void UseLanguageForQt(unsigned short langId);
