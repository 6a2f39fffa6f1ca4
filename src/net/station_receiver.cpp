#include "net/station_receiver.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/clock.h"
#include "base/host_port.h"
#include "base/lang_string.h"
#include "base/string_ids.h"

namespace {

// What the server keeps of one request while its body arrives.
struct Pending {
    StationReceiver::Request request;
    MHD_PostProcessor* form = nullptr;
    std::size_t bodyBytes = 0;
    ~Pending() {
        if (form != nullptr) {
            MHD_destroy_post_processor(form);
        }
    }
};

bool isUploadPath(const std::string& path) {
    for (const char* known : {"/data/report", "/weatherstation/updateweatherstation.php"}) {
        if (path == known || path == std::string(known) + "/") {
            return true;
        }
    }
    return false;
}

std::string peerOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char host[NI_MAXHOST] = "?";
    if (info != nullptr && info->client_addr != nullptr) {
        socklen_t length =
            info->client_addr->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
        getnameinfo(info->client_addr, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST);
    }
    return host;
}

MHD_Result addField(void* cls, MHD_ValueKind, const char* key, const char* value) {
    static_cast<PostFields*>(cls)->emplace_back(key, value != nullptr ? value : "");
    return MHD_YES;
}

// A form value may arrive in pieces; off tells where this one goes.
MHD_Result addFormField(void* cls, MHD_ValueKind, const char* key, const char*, const char*,
                        const char*, const char* data, uint64_t off, size_t size) {
    auto& fields = static_cast<Pending*>(cls)->request.fields;
    if (off == 0 || fields.empty() || fields.back().first != key) {
        fields.emplace_back(key, "");
    }
    fields.back().second.append(data, size);
    return MHD_YES;
}

MHD_Result answer(MHD_Connection* connection, PostOutcome outcome) {
    static const char* const bodies[] = {"success\n",    "wrong key\n", "no readings\n",
                                         "too large\n",  "not found\n", "method not allowed\n",
                                         "not written\n"};
    const char* body = bodies[static_cast<int>(outcome)];
    MHD_Response* response = MHD_create_response_from_buffer(
        std::strlen(body), const_cast<char*>(body), MHD_RESPMEM_PERSISTENT);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain");
    MHD_Result queued = MHD_queue_response(connection, httpStatusOf(outcome), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result onRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char* data, size_t* size, void** context) {
    auto* receiver = static_cast<StationReceiver*>(cls);
    auto* pending = static_cast<Pending*>(*context);
    if (pending == nullptr) {
        pending = new Pending;
        *context = pending;
        pending->request.method = method;
        pending->request.path = url;
        pending->request.peer = peerOf(connection);
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &addField,
                                  &pending->request.fields);
        // Refused before the body is read when its length says it is too large.
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                         MHD_HTTP_HEADER_CONTENT_LENGTH);
        if (length != nullptr && std::strtoull(length, nullptr, 10) > kMaxPostBytes) {
            pending->request.tooLarge = true;
            return answer(connection, receiver->Answer(pending->request));
        }
        // Anything that is no form stays unread: its fields are the query's alone.
        pending->form = MHD_create_post_processor(connection, 4096, &addFormField, pending);
        return MHD_YES;
    }
    if (*size != 0) {
        pending->bodyBytes += *size;
        if (pending->bodyBytes > kMaxPostBytes) {
            // A body of unknown length that grows too large: cut off.
            pending->request.tooLarge = true;
            receiver->Answer(pending->request);
            return MHD_NO;
        }
        if (pending->form != nullptr && MHD_post_process(pending->form, data, *size) != MHD_YES) {
            MHD_destroy_post_processor(pending->form);
            pending->form = nullptr;
        }
        *size = 0;
        return MHD_YES;
    }
    return answer(connection, receiver->Answer(pending->request));
}

void onCompleted(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode reason) {
    auto* pending = static_cast<Pending*>(*context);
    if (reason == MHD_REQUEST_TERMINATED_TIMEOUT_REACHED && pending != nullptr) {
        static_cast<StationReceiver*>(cls)->Log(LangString(
            kTextStalledClientCut, {pending->request.peer, std::to_string(kStallSeconds)}));
    }
    delete pending;
    *context = nullptr;
}

// Its own socket, so that a port in use or an address of no interface is reported as such.
int listenOn(const std::string& address, std::string& error) {
    std::string host = address;
    std::uint16_t port = SplitHostPort(host, 0);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (port == 0 || host.empty()) {
        error = "give ADDRESS:PORT, such as 0.0.0.0:8080";
        return -1;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (int failure = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found)) {
        error = gai_strerror(failure);
        return -1;
    }
    int fd = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    int on = 1;
    bool ok = fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
              bind(fd, found->ai_addr, found->ai_addrlen) == 0 && listen(fd, 64) == 0;
    freeaddrinfo(found);
    if (!ok) {
        error = std::strerror(errno);
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    return fd;
}

}  // namespace

unsigned httpStatusOf(PostOutcome outcome) {
    switch (outcome) {
        case PostOutcome::Written:
            return MHD_HTTP_OK;
        case PostOutcome::WrongKey:
            return MHD_HTTP_FORBIDDEN;
        case PostOutcome::NoReadings:
            return MHD_HTTP_BAD_REQUEST;
        case PostOutcome::TooLarge:
            return MHD_HTTP_CONTENT_TOO_LARGE;
        case PostOutcome::UnknownPath:
            return MHD_HTTP_NOT_FOUND;
        case PostOutcome::WrongMethod:
            return MHD_HTTP_METHOD_NOT_ALLOWED;
        case PostOutcome::NotWritten:
            break;
    }
    return MHD_HTTP_INTERNAL_SERVER_ERROR;
}

StationReceiver::StationReceiver(ReceivedWeatherFile& file, std::string key, LogLine log)
    : m_file(file), m_key(std::move(key)), m_log(std::move(log)) {}

StationReceiver::~StationReceiver() {
    // Waits for the request being answered: the file is never left half replaced.
    if (m_daemon != nullptr) {
        MHD_stop_daemon(m_daemon);
    }
    if (m_socket >= 0) {
        close(m_socket);
    }
}

bool StationReceiver::Start(const std::string& address, std::string& error) {
    m_socket = listenOn(address, error);
    if (m_socket < 0) {
        return false;
    }
    m_daemon = MHD_start_daemon(MHD_USE_AUTO_INTERNAL_THREAD, 0, nullptr, nullptr, &onRequest, this,
                                MHD_OPTION_LISTEN_SOCKET, m_socket, MHD_OPTION_CONNECTION_TIMEOUT,
                                kStallSeconds, MHD_OPTION_CONNECTION_LIMIT, kMaxConnections,
                                MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, this, MHD_OPTION_END);
    if (m_daemon == nullptr) {
        error = "the HTTP server did not start";
        return false;
    }
    // The daemon closes its listening socket when it stops.
    m_socket = -1;
    return true;
}

PostOutcome StationReceiver::Answer(const Request& request) {
    PostOutcome outcome = PostOutcome::Written;
    StationReadings readings;
    if (request.method != MHD_HTTP_METHOD_GET && request.method != MHD_HTTP_METHOD_POST) {
        outcome = PostOutcome::WrongMethod;
    } else if (!isUploadPath(request.path)) {
        outcome = PostOutcome::UnknownPath;
    } else if (request.tooLarge) {
        outcome = PostOutcome::TooLarge;
    } else if (!postKeyMatches(request.fields, m_key)) {
        outcome = PostOutcome::WrongKey;
    } else if (readings = parseStationPost(request.fields, Clock::NowSeconds());
               !hasAnyReading(readings)) {
        outcome = PostOutcome::NoReadings;
    }
    std::string problem;
    if (outcome == PostOutcome::Written && !m_file.Write(readings, problem)) {
        outcome = PostOutcome::NotWritten;
    }
    switch (outcome) {
        case PostOutcome::Written:
            if (!m_received) {
                m_received = true;
                m_log(LangString(kTextFirstPostReceived, {request.peer}));
            }
            break;
        case PostOutcome::WrongKey:
            m_log(LangString(kTextPostWrongKey, {request.peer}));
            break;
        case PostOutcome::NoReadings:
            m_log(LangString(kTextPostNoReadings, {request.peer}));
            break;
        case PostOutcome::TooLarge:
            m_log(LangString(kTextPostTooLarge, {request.peer, std::to_string(kMaxPostBytes)}));
            break;
        case PostOutcome::UnknownPath:
            m_log(LangString(kTextPostUnknownPath, {request.peer, request.path}));
            break;
        case PostOutcome::WrongMethod:
            m_log(LangString(kTextPostWrongMethod, {request.peer, request.method}));
            break;
        case PostOutcome::NotWritten:
            break;
    }
    if (!problem.empty()) {
        m_log(LangString(kTextReceivedFileNotWritten, {problem}));
    }
    return outcome;
}
