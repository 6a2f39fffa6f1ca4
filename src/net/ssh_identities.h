// The ways to log in to an SSH server by key, in the order ssh tries them: the user's agent,
// then the unencrypted default keys in ~/.ssh.
#pragma once

#include <string>
#include <vector>

struct SshIdentity {
    bool agent = false;   // the agent at SSH_AUTH_SOCK
    std::string keyFile;  // else a private key file
    std::string label;    // as a text names it: "the SSH agent", "~/.ssh/id_ed25519"
};

// What is there to try now: the agent when SSH_AUTH_SOCK is set, and each of ~/.ssh/id_ed25519,
// id_ecdsa and id_rsa that exists.
std::vector<SshIdentity> SshIdentities();
