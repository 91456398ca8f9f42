// The other process of the hand-off tests. Modes:
//   publish            runs a VirtualCameraService driven by lines on standard input:
//                        start | frame W H B G R | stop | quit
//                      and answers each with one line (the announced identifier after a frame).
//   open-as UID NAME   drops to UID and tries to open the shared-memory NAME; prints "errno=N".
//   squat-as UID NAME ID
//                      drops to UID and creates NAME with mode 0666 holding a valid header of
//                      surface ID, with the owner lock held until standard input closes.

#include "HandoffNamespace.h"

#include "capture/VirtualCameraService.h"
#include "shared/SharedSurface.h"
#include "shared/SurfaceHeader.h"

#include <QCoreApplication>

#include <cerrno>
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

int squat(const char* name, std::uint32_t surfaceId) {
    constexpr int kSide = 64;
    const std::size_t size = SurfaceHeader::kPixelOffset + kSide * kSide * 4;
    const int fd = ::shm_open(name, O_RDWR | O_CREAT | O_EXCL, 0666);
    void* data = MAP_FAILED;
    if (fd >= 0 && ::fchmod(fd, 0666) == 0 && ::ftruncate(fd, off_t(size)) == 0) {
        data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    if (data == MAP_FAILED) {
        std::cout << "errno=" << errno << std::endl;
        return 1;
    }
    auto* header = new (data) SurfaceHeader{};
    header->magic = SurfaceHeader::kMagic;
    header->version = SurfaceHeader::kVersion;
    header->surfaceId = surfaceId;
    header->pixelFormat = FrameHandoff::kPixelFormatBGRA;
    header->width = header->height = kSide;
    header->bytesPerRow = kSide * 4;
    header->pixelOffset = SurfaceHeader::kPixelOffset;
    header->pixelBytes = kSide * kSide * 4;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_len = 1;
    ::fcntl(fd, F_OFD_SETLK, &lock);
    std::cout << "created" << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "publish") {
        return runPublisher(argc, argv);
    }
    if ((mode == "open-as" && argc == 4) || (mode == "squat-as" && argc == 5)) {
        const auto uid = static_cast<uid_t>(std::stoul(argv[2]));
        if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0) {
            std::cout << "cannot-drop" << std::endl;
            return 2;
        }
        if (mode == "squat-as") {
            return squat(argv[3], static_cast<std::uint32_t>(std::stoul(argv[4])));
        }
        const int fd = ::shm_open(argv[3], O_RDONLY, 0);
        std::cout << "errno=" << (fd < 0 ? errno : 0) << std::endl;
        return 0;
    }
    std::cerr << "usage: handoff_helper publish | open-as UID NAME | squat-as UID NAME ID\n";
    return 2;
}
