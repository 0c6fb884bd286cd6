#pragma once
// A plain HTTP exchange over a real socket for the stand-in's tests: sends
// the request text exactly as given and reads until the server closes or
// the announced length has arrived. Every wait is bounded.

#include <map>
#include <string>

struct RawAnswer {
    bool connected = false;
    bool gotBytes = false;     // any byte arrived at all
    bool closed = false;       // the server closed the connection
    int status = 0;
    std::string version;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    bool HasHeader(const std::string& lowerName) const { return headers.count(lowerName) != 0; }
    std::string Header(const std::string& lowerName) const;
};

// One GET of `target` on 127.0.0.1:`port` with HTTP/1.0 (the server closes
// after the answer) and the given extra header lines ("Name: value\r\n").
RawAnswer RawGet(int port, const std::string& target, const std::string& extraHeaders = {}, int timeoutMs = 10000);

// Sends `request` as is and reads the answer; with `untilClosed` it reads
// on until the server closes, even past a kept connection's first answer.
RawAnswer RawExchange(int port, const std::string& request, int timeoutMs = 10000, bool untilClosed = false);
