#include "net/ssh_identities.h"

#include <cstdlib>
#include <filesystem>

#include "base/lang_string.h"
#include "base/string_ids.h"

std::vector<SshIdentity> SshIdentities() {
    std::vector<SshIdentity> identities;
    if (const char* agent = std::getenv("SSH_AUTH_SOCK"); agent != nullptr && *agent != '\0') {
        identities.push_back({true, "", LangString(kWordSshAgent)});
    }
    const char* home = std::getenv("HOME");
    for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
        std::string file = std::string(home != nullptr ? home : "") + "/.ssh/" + name;
        std::error_code ignored;
        if (std::filesystem::is_regular_file(file, ignored)) {
            identities.push_back({false, file, std::string("~/.ssh/") + name});
        }
    }
    return identities;
}
