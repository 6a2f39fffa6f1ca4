// The HTTP server a Wi-Fi console's customized upload posts to: takes the Ecowitt and the
// Wunderground protocol and turns each good post into the received weather file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "weather/received_weather_file.h"
#include "weather/station_post.h"

struct MHD_Daemon;

// What the receiver answered a request with.
enum class PostOutcome {
    Written,
    WrongKey,
    NoReadings,
    TooLarge,
    UnknownPath,
    WrongMethod,
    NotWritten
};

// The HTTP status of an outcome.
unsigned httpStatusOf(PostOutcome outcome);

// A body larger than this is refused: with 413, unread, when its length is given, else by
// closing the connection once it has grown past it.
constexpr std::size_t kMaxPostBytes = 64 * 1024;
// A client that sends nothing for this long is cut off.
constexpr unsigned kStallSeconds = 5;
// No more connections than this at once.
constexpr unsigned kMaxConnections = 32;

class StationReceiver {
  public:
    // One line for the run's log; called on the server's thread.
    using LogLine = std::function<void(const std::string&)>;

    // key empty: any post is taken.
    StationReceiver(ReceivedWeatherFile& file, std::string key, LogLine log);
    ~StationReceiver();
    StationReceiver(const StationReceiver&) = delete;
    StationReceiver& operator=(const StationReceiver&) = delete;

    // Serves on address ("host:port", "[v6]:port") on a thread of its own until destroyed;
    // false, with the reason in error, when it cannot listen there.
    bool Start(const std::string& address, std::string& error);

    // A request as the server read it.
    struct Request {
        std::string method;
        std::string path;
        PostFields fields;  // the query's and the form's
        std::string peer;   // the client's address
        bool tooLarge = false;
    };

    // What the request gets; writes the file for a good post, logs one line for one refused.
    // Called on the server's thread, one request at a time.
    PostOutcome Answer(const Request& request);

    // Writes a line into the run's log.
    void Log(const std::string& line) const { m_log(line); }

  private:
    ReceivedWeatherFile& m_file;
    std::string m_key;
    LogLine m_log;
    MHD_Daemon* m_daemon = nullptr;
    int m_socket = -1;
    bool m_received = false;
};
