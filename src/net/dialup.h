// Dial-up connections over NetworkManager: phone-book entries are connection profiles,
// dialling is "nmcli connection up", hanging up "nmcli connection down", and the device of an
// active connection tells which one holds the modem.
#pragma once

#include <string>
#include <vector>

// The lines of nmcli's terse output, each split at its unescaped colons ("\:" is a colon,
// "\\" a backslash); empty lines are left out.
std::vector<std::vector<std::string>> ParseTerseOutput(const std::string& output);

// 1 when NetworkManager answers; 0 when there is no nmcli; -1 when it does not answer.
int DetectRasInstallation();

// Asks again on every call.
bool IsRasInstalled();

// The names of every connection profile; empty when there are none or no NetworkManager.
std::vector<std::string> RasEntryList();

// The dial-up steps of one export, on the connection this export dials.
class CRasConnection {
  public:
    // Whether the entry must be dialled: false when it is connected already (it is then used
    // and left up), true otherwise; an entry still activating is hung up first.
    // std::runtime_error with string 176 when there is no NetworkManager.
    bool CheckDialupConnection(const std::string& entry);

    // Whether another active connection holds the entry's device; its name goes to other.
    // std::runtime_error with string 158 when the entry does not exist.
    bool FreeDialupDevice(const std::string& entry, std::string& other);

    // Dials the entry; std::runtime_error with the error text when that fails.
    bool OpenDialupConnection(const std::string& entry);

    // Hangs the entry up and waits until it is gone (60 s at most); false when nothing was up.
    bool HangUp(const std::string& entry);

    // Dials the entry again without looking at the result: the connection the export closed.
    void Restore(const std::string& entry);
};
