// How the Export page turns what the user typed into stored settings and back: recipient lists,
// the mail body's line breaks, recipients imported from an address-book file.
#pragma once

#include <string>
#include <vector>

// "," becomes ";" (blanks stay).
std::string StoredRecipients(const std::string& typed);

// Line breaks (CR LF, or a lone LF or CR) become "<br>".
std::string StoredBody(const std::string& typed);
// "<br>" becomes CR LF again, for editing.
std::string ShownBody(const std::string& stored);

// The recipients of an address-book file's lines: each line trimmed of blanks, tabs, line ends,
// "=" and ":", then its second field after "," (else after ";"); lines without one are skipped.
// Joined by ";", without a trailing ";" or ",".
std::string ImportedRecipients(const std::vector<std::string>& lines);
