#include "net/dialup.h"

#include <QProcess>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "diag/log.h"

namespace {

struct NmcliResult {
    bool started = false;
    int exitCode = -1;
    std::string output;
    std::string error;
};

NmcliResult nmcli(const QStringList& arguments, int timeoutMs = 120000) {
    QProcess process;
    process.start("nmcli", arguments);
    NmcliResult result;
    if (!process.waitForStarted(10000)) {
        return result;
    }
    result.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAllStandardOutput().toStdString();
    result.error = process.readAllStandardError().trimmed().toStdString();
    return result;
}

// One line of terse output split at its unescaped colons ("\:" is a colon, "\\" a backslash).
std::vector<std::string> terseFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            fields.back() += line[++i];
        } else if (line[i] == ':') {
            fields.emplace_back();
        } else {
            fields.back() += line[i];
        }
    }
    return fields;
}

}  // namespace

std::vector<std::vector<std::string>> ParseTerseOutput(const std::string& output) {
    std::vector<std::vector<std::string>> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        std::string line = output.substr(start, end - start);
        if (!line.empty()) {
            lines.push_back(terseFields(line));
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

namespace {

struct ActiveConnection {
    std::string name;
    std::string device;
    std::string state;
};

std::vector<ActiveConnection> activeConnections() {
    NmcliResult result = nmcli({"-t", "-f", "NAME,DEVICE,STATE", "connection", "show", "--active"});
    if (!result.started || result.exitCode != 0) {
        throw std::runtime_error(result.error.empty() ? "Fail to get error string" : result.error);
    }
    std::vector<ActiveConnection> connections;
    for (const auto& fields : ParseTerseOutput(result.output)) {
        if (fields.size() >= 3) {
            connections.push_back({fields[0], fields[1], fields[2]});
        }
    }
    return connections;
}

const ActiveConnection* findActive(const std::vector<ActiveConnection>& active,
                                   const std::string& entry) {
    for (const ActiveConnection& connection : active) {
        if (QString::fromStdString(connection.name)
                .compare(QString::fromStdString(entry), Qt::CaseInsensitive) == 0) {
            return &connection;
        }
    }
    return nullptr;
}

// The device the entry dials on; std::runtime_error 158 when there is no such entry.
std::string entryDevice(const std::string& entry) {
    NmcliResult result = nmcli({"-t", "-f", "connection.interface-name", "connection", "show",
                                QString::fromStdString(entry)});
    if (!result.started || result.exitCode != 0) {
        throw std::runtime_error(LangString(kTextNoDialupProperties));
    }
    for (const auto& fields : ParseTerseOutput(result.output)) {
        if (fields.size() >= 2 && fields[0] == "connection.interface-name") {
            return fields[1];
        }
    }
    return "";
}

// Hangs up and waits until the entry is no longer listed; given up after a minute.
bool hangUpAndWait(const std::string& entry) {
    NmcliResult result = nmcli({"connection", "down", QString::fromStdString(entry)});
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        try {
            if (findActive(activeConnections(), entry) == nullptr) {
                break;
            }
        } catch (const std::runtime_error&) {
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            LogMessage(Warn, "[CRasConnection::HangUp] %s is still up after 60 s; given up.",
                       entry.c_str());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    }
    return result.started && result.exitCode == 0;
}

}  // namespace

int DetectRasInstallation() {
    NmcliResult result = nmcli({"-t", "-f", "RUNNING", "general"}, 30000);
    if (!result.started) {
        return 0;
    }
    return result.exitCode == 0 && result.output.rfind("running", 0) == 0 ? 1 : -1;
}

bool IsRasInstalled() {
    return DetectRasInstallation() == 1;
}

std::vector<std::string> RasEntryList() {
    NmcliResult result = nmcli({"-t", "-f", "NAME", "connection", "show"}, 30000);
    std::vector<std::string> names;
    if (result.started && result.exitCode == 0) {
        for (const auto& fields : ParseTerseOutput(result.output)) {
            names.push_back(fields[0]);
        }
    }
    return names;
}

bool CRasConnection::CheckDialupConnection(const std::string& entry) {
    if (!IsRasInstalled()) {
        throw std::runtime_error(LangString(kTextRasNotInstalled));
    }
    std::vector<ActiveConnection> active = activeConnections();
    const ActiveConnection* found = findActive(active, entry);
    if (found == nullptr) {
        return true;
    }
    if (found->state == "activated") {
        return false;
    }
    // Still dialling, or broken: start afresh.
    hangUpAndWait(entry);
    return true;
}

bool CRasConnection::FreeDialupDevice(const std::string& entry, std::string& other) {
    std::string device = entryDevice(entry);
    if (device.empty()) {
        return false;
    }
    for (const ActiveConnection& connection : activeConnections()) {
        if (QString::fromStdString(connection.device)
                .compare(QString::fromStdString(device), Qt::CaseInsensitive) == 0) {
            other = connection.name;
            return true;
        }
    }
    return false;
}

bool CRasConnection::OpenDialupConnection(const std::string& entry) {
    entryDevice(entry);  // 158 for an entry that is gone
    NmcliResult result = nmcli({"connection", "up", QString::fromStdString(entry)});
    if (!result.started || result.exitCode != 0) {
        HangUp(entry);
        throw std::runtime_error(result.error.empty() ? "Fail to get error string" : result.error);
    }
    return true;
}

bool CRasConnection::HangUp(const std::string& entry) {
    return hangUpAndWait(entry);
}

void CRasConnection::Restore(const std::string& entry) {
    nmcli({"connection", "up", QString::fromStdString(entry)});
}
