// The other process of the hand-off tests. `handoff_helper publish` runs a VirtualCameraService
// driven by lines on standard input (start | frame W H B G R | stop) and answers each with
// one line (the announced identifier after a frame).

#include "HandoffNamespace.h"

#include "capture/publisher/VirtualCameraService.h"

#include <QCoreApplication>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

int runPublisher(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    NotifyCenter center;
    VirtualCameraService service(center);
    std::vector<std::uint32_t> pixels;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "start") {
            service.startPublishing();
            std::cout << "started " << service.isPublishing() << std::endl;
        } else if (command == "frame") {
            int width = 0, height = 0;
            std::uint32_t blue = 0, green = 0, red = 0;
            words >> width >> height >> blue >> green >> red;
            pixels.assign(std::size_t(width) * height, 0xFF000000u | red << 16 | green << 8 | blue);
            service.publish(PixelBuffer{reinterpret_cast<const std::uint8_t*>(pixels.data()), width,
                                        height, width * 4});
            std::cout << "announced " << HandoffNamespace::announcedIdentifier() << std::endl;
        } else if (command == "stop") {
            service.stopPublishing();
            std::cout << "stopped" << std::endl;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && argv[1] == std::string("publish")) {
        return runPublisher(argc, argv);
    }
    std::cerr << "usage: handoff_helper publish\n";
    return 2;
}
