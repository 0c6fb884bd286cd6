// tonvik-standin: the local stand-in of the music service and the update
// host, as a program.
//
//   tonvik-standin [--port N] [--data DIR] [--state DIR]
//
// --port   port on 127.0.0.1 (default 18080; 0 chooses a free one)
// --data   folder with catalogue.txt, users.txt and page.html
// --state  folder for albums.txt (default: the current folder)
//
// Prints "listening on 127.0.0.1:<port>" once it serves, and runs until it
// is interrupted. Albums are saved after every change, so an interrupt
// loses nothing.

#include "tools/standin/StandIn.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: tonvik-standin [--port N] [--data DIR] [--state DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    standin::St_StandInOptions options;
    options.port = standin::CStandIn::kDefaultPort;
    options.stateDir = ".";
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (option == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) return Usage();
            options.port = static_cast<int>(port);
        } else if (option == "--data") {
            options.dataDir = value;
        } else if (option == "--state") {
            options.stateDir = value;
        } else {
            return Usage();
        }
    }

    standin::CStandIn standIn(options);
    if (!standIn.Start()) {
        std::fprintf(stderr, "tonvik-standin: %s\n", standIn.Error().c_str());
        return 1;
    }
    std::printf("listening on %s\n", standIn.Host().c_str());
    std::fflush(stdout);
    return application.exec();
}
