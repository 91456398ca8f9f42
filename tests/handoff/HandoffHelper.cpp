// The other process of the hand-off tests. Modes:
//   publish            runs a VirtualCameraService driven by lines on standard input:
//                        start | frame W H B G R | stop | quit
//                      and answers each with one line (the announced identifier after a frame).
//   open-as UID NAME   drops to UID and tries to open the shared-memory NAME; prints "errno=N".
//   squat-as UID NAME  drops to UID and creates NAME with mode 0666; prints "created" or errno.
//   squat-surface-as UID ID
//                      creates the calling user's surface name for ID as UID, mode 0666, with a
//                      valid header and the owner lock held until standard input closes.

#include "capture/VirtualCameraService.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"
#include "shared/SurfaceHeader.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool dropTo(uid_t uid) {
    return ::setgroups(0, nullptr) == 0 && ::setgid(uid) == 0 && ::setuid(uid) == 0;
}

std::uint32_t announcedIdentifier(NotifyCenter& center) {
    int token = -1;
    std::uint64_t state = 0;
    center.notify_register_check(FrameHandoff::kNotifyName, token);
    center.notify_get_state(token, state);
    center.notify_cancel(token);
    return static_cast<std::uint32_t>(state);
}

int runPublisher(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    NotifyCenter center;
    VirtualCameraService service(center);
    std::vector<std::uint8_t> pixels;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "start") {
            service.startPublishing();
            std::cout << "started " << service.isPublishing() << std::endl;
        } else if (command == "frame") {
            int width = 0, height = 0, blue = 0, green = 0, red = 0;
            words >> width >> height >> blue >> green >> red;
            pixels.assign(std::size_t(width) * height * 4, 0);
            for (std::size_t i = 0; i < pixels.size(); i += 4) {
                pixels[i] = std::uint8_t(blue);
                pixels[i + 1] = std::uint8_t(green);
                pixels[i + 2] = std::uint8_t(red);
                pixels[i + 3] = 255;
            }
            service.publish(PixelBuffer{pixels.data(), width, height, width * 4});
            std::cout << "announced " << announcedIdentifier(center) << std::endl;
        } else if (command == "stop") {
            service.stopPublishing();
            std::cout << "stopped" << std::endl;
        } else if (command == "quit") {
            return 0;
        }
    }
    return 0;
}

int squatSurface(uid_t uid, std::uint32_t surfaceId) {
    const std::string name = SharedSurface::nameFor(surfaceId);  // the caller's name, not UID's
    if (!dropTo(uid)) {
        std::cout << "cannot-drop" << std::endl;
        return 2;
    }
    const std::size_t size = SurfaceHeader::kPixelOffset + 64 * 64 * 4;
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd < 0 || ::fchmod(fd, 0666) != 0 || ::ftruncate(fd, off_t(size)) != 0) {
        std::cout << "errno=" << errno << std::endl;
        return 1;
    }
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        std::cout << "errno=" << errno << std::endl;
        return 1;
    }
    auto* header = new (data) SurfaceHeader{};
    header->magic = SurfaceHeader::kMagic;
    header->version = SurfaceHeader::kVersion;
    header->surfaceId = surfaceId;
    header->pixelFormat = FrameHandoff::kPixelFormatBGRA;
    header->width = header->height = 64;
    header->bytesPerRow = 64 * 4;
    header->pixelOffset = SurfaceHeader::kPixelOffset;
    header->pixelBytes = 64 * 64 * 4;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_len = 1;
    ::fcntl(fd, F_OFD_SETLK, &lock);
    std::cout << "created" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "publish") {
        return runPublisher(argc, argv);
    }
    if (mode == "squat-surface-as" && argc == 4) {
        return squatSurface(static_cast<uid_t>(std::stoul(argv[2])),
                            static_cast<std::uint32_t>(std::stoul(argv[3])));
    }
    if ((mode == "open-as" || mode == "squat-as") && argc == 4) {
        if (!dropTo(static_cast<uid_t>(std::stoul(argv[2])))) {
            std::cout << "cannot-drop" << std::endl;
            return 2;
        }
        if (mode == "open-as") {
            const int fd = ::shm_open(argv[3], O_RDONLY, 0);
            std::cout << "errno=" << (fd < 0 ? errno : 0) << std::endl;
            return 0;
        }
        const int fd = ::shm_open(argv[3], O_RDWR | O_CREAT | O_EXCL, 0666);
        if (fd < 0 || ::fchmod(fd, 0666) != 0 || ::ftruncate(fd, 2 * 1024 * 1024) != 0) {
            std::cout << "errno=" << errno << std::endl;
            return 1;
        }
        std::cout << "created" << std::endl;
        return 0;
    }
    std::cerr << "usage: handoff_helper publish | open-as UID NAME | squat-as UID NAME\n";
    return 2;
}
