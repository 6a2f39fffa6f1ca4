// The string tables of the three languages (1031 German, 1033 English, 1036 French).
#pragma once

#include <initializer_list>
#include <string>

// The text of a string id in a language; "" when the id does not exist. A language without a
// table of its own reads the English one.
std::string LoadLangString(unsigned id, unsigned short langId);

// The text of a string id in the user's language (the LangID setting).
std::string LangString(unsigned id);

// The text in the user's language with "%1", "%2", ... replaced by the arguments in order.
std::string LangString(unsigned id, std::initializer_list<std::string> arguments);

// What a control or menu command shows as its caption: the text before the first line feed.
std::string CaptionText(const std::string& text);

// Its help text: what follows the first line feed, or the whole text when there is none.
std::string HelpText(const std::string& text);
