#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class ShmFile;

// Named notification state shared by the processes of one user: each name has a 64-bit state word
// and a post counter in a shared-memory object of mode 0600. The operations keep the names and
// meanings of the notify calls the hand-off is written against:
//   - a state that nobody has set reads 0 (it lives until the machine restarts, like the
//     notification centre's);
//   - the first check after registering reports a change, later checks report whether a post
//     happened since the previous check of the same token;
//   - a post wakes whoever waits on the name.
// Tokens are per object and thread-safe; -1 is never a token. Virtual so that tests can make a
// call fail.
class NotifyCenter {
public:
    static constexpr std::uint32_t kStatusOK = 0;
    static constexpr std::uint32_t kStatusInvalidName = 1;
    static constexpr std::uint32_t kStatusInvalidToken = 2;
    static constexpr std::uint32_t kStatusFailed = 1000000;

    NotifyCenter();
    virtual ~NotifyCenter();
    NotifyCenter(const NotifyCenter&) = delete;
    NotifyCenter& operator=(const NotifyCenter&) = delete;

    // On success `token` is a new token whose first check reports a change; on failure it is -1.
    virtual std::uint32_t notify_register_check(const std::string& name, int& token);
    virtual std::uint32_t notify_set_state(int token, std::uint64_t state);
    virtual std::uint32_t notify_post(const std::string& name);
    virtual std::uint32_t notify_check(int token, int& changed);
    virtual std::uint32_t notify_get_state(int token, std::uint64_t& state);
    virtual std::uint32_t notify_cancel(int token);

    // The shared-memory name behind a notification name, in this user's namespace.
    static std::string objectNameFor(const std::string& name);

private:
    struct Block;
    struct Registration {
        std::shared_ptr<Block> block;
        std::uint32_t lastSeenPosts = 0;
        bool checked = false;
    };

    std::shared_ptr<Block> blockFor(const std::string& name, std::uint32_t& status);

    std::mutex m_mutex;
    std::map<std::string, std::weak_ptr<Block>> m_blocks;
    std::map<int, Registration> m_registrations;
    int m_nextToken = 1;
};
