#include "shared/NotifyCenter.h"

#include "shared/FrameHandoff.h"
#include "shared/ShmFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace {

struct StateWord {
    std::atomic<std::uint64_t> state;
    // The futex word: posts counted, wrapping.
    std::atomic<std::uint32_t> posts;
    std::uint32_t reserved;
};

static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

constexpr std::size_t kObjectSize = 4096;
// A name created by another process of this user a moment ago may not have its size yet.
constexpr int kOpenAttempts = 50;

bool isValidName(const std::string& name) {
    if (name.empty() || name.size() > 200) {
        return false;
    }
    for (char c : name) {
        if (c == '/' || c == '\0') {
            return false;
        }
    }
    return true;
}

long futex(std::atomic<std::uint32_t>* word, int op, std::uint32_t value,
           const struct timespec* timeout) {
    // The word lives in a shared mapping, so the shared (non-private) futex operations are used.
    return ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), op, value, timeout, nullptr,
                     0);
}

}  // namespace

struct NotifyCenter::Block {
    std::unique_ptr<ShmFile> file;
    StateWord* word() const { return static_cast<StateWord*>(file->data()); }
};

NotifyCenter::NotifyCenter() = default;
NotifyCenter::~NotifyCenter() = default;

std::string NotifyCenter::objectNameFor(const std::string& name) {
    return "/" + FrameHandoff::shmNamespace() + "-" + std::to_string(::geteuid()) + "-notify-" +
           name;
}

std::shared_ptr<NotifyCenter::Block> NotifyCenter::blockFor(const std::string& name,
                                                            std::uint32_t& status) {
    if (!isValidName(name)) {
        status = kStatusInvalidName;
        return nullptr;
    }
    if (auto existing = m_blocks[name].lock()) {
        status = kStatusOK;
        return existing;
    }
    const std::string objectName = objectNameFor(name);
    ShmFile::Result opened = ShmFile::createExclusive(objectName, kObjectSize);
    for (int attempt = 0; !opened.file && opened.error == EEXIST && attempt < kOpenAttempts;
         ++attempt) {
        opened = ShmFile::openExisting(objectName, sizeof(StateWord));
        if (!opened.file && opened.error == EINVAL) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            opened.error = EEXIST;
        }
    }
    if (!opened.file) {
        status = kStatusFailed;
        return nullptr;
    }
    auto block = std::make_shared<Block>();
    block->file = std::move(opened.file);
    m_blocks[name] = block;
    status = kStatusOK;
    return block;
}

std::uint32_t NotifyCenter::notify_register_check(const std::string& name, int& token) {
    std::lock_guard lock(m_mutex);
    token = -1;
    std::uint32_t status = kStatusOK;
    std::shared_ptr<Block> block = blockFor(name, status);
    if (!block) {
        return status;
    }
    if (m_nextToken == INT_MAX) {
        return kStatusFailed;
    }
    token = m_nextToken++;
    m_registrations[token] = Registration{block, 0, false};
    return kStatusOK;
}

std::uint32_t NotifyCenter::notify_set_state(int token, std::uint64_t state) {
    std::lock_guard lock(m_mutex);
    const auto it = m_registrations.find(token);
    if (it == m_registrations.end()) {
        return kStatusInvalidToken;
    }
    it->second.block->word()->state.store(state, std::memory_order_release);
    return kStatusOK;
}

std::uint32_t NotifyCenter::notify_post(const std::string& name) {
    std::lock_guard lock(m_mutex);
    std::uint32_t status = kStatusOK;
    std::shared_ptr<Block> block = blockFor(name, status);
    if (!block) {
        return status;
    }
    StateWord* word = block->word();
    word->posts.fetch_add(1, std::memory_order_acq_rel);
    futex(&word->posts, FUTEX_WAKE, INT_MAX, nullptr);
    return kStatusOK;
}

std::uint32_t NotifyCenter::notify_check(int token, int& changed) {
    std::lock_guard lock(m_mutex);
    changed = 0;
    const auto it = m_registrations.find(token);
    if (it == m_registrations.end()) {
        return kStatusInvalidToken;
    }
    Registration& registration = it->second;
    const std::uint32_t posts = registration.block->word()->posts.load(std::memory_order_acquire);
    changed = (!registration.checked || posts != registration.lastSeenPosts) ? 1 : 0;
    registration.checked = true;
    registration.lastSeenPosts = posts;
    return kStatusOK;
}

std::uint32_t NotifyCenter::notify_get_state(int token, std::uint64_t& state) {
    std::lock_guard lock(m_mutex);
    state = 0;
    const auto it = m_registrations.find(token);
    if (it == m_registrations.end()) {
        return kStatusInvalidToken;
    }
    state = it->second.block->word()->state.load(std::memory_order_acquire);
    return kStatusOK;
}

std::uint32_t NotifyCenter::notify_cancel(int token) {
    std::lock_guard lock(m_mutex);
    return m_registrations.erase(token) == 1 ? kStatusOK : kStatusInvalidToken;
}
