// The other process of the hand-off tests. Modes:
//   publish            runs a VirtualCameraService driven by lines on standard input:
//                        start | frame W H B G R | stop | quit
//                      and answers each with one line (the announced identifier after a frame).
//   open-as UID NAME   drops to UID and tries to open the shared-memory NAME; prints "errno=N".

#include "HandoffNamespace.h"

#include "capture/publisher/VirtualCameraService.h"

#include <QCoreApplication>

#include <cerrno>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <unistd.h>

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
        } else if (command == "quit") {
            return 0;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "publish") {
        return runPublisher(argc, argv);
    }
    if (mode == "open-as" && argc == 4) {
        const auto uid = static_cast<uid_t>(std::stoul(argv[2]));
        if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0) {
            std::cout << "cannot-drop" << std::endl;
            return 2;
        }
        const int fd = ::shm_open(argv[3], O_RDONLY, 0);
        std::cout << "errno=" << (fd < 0 ? errno : 0) << std::endl;
        return 0;
    }
    std::cerr << "usage: handoff_helper publish | open-as UID NAME\n";
    return 2;
}
