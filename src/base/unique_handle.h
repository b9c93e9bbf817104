// The one owner of an operating-system handle: move-only, closes what it holds when it goes out of
// scope or is reset. Each kind of handle is described by a traits type:
//
//   struct Traits {
//       using Handle = ...;                  // the handle type
//       static Handle Invalid();             // the value that holds nothing
//       void Close(Handle h);                // releases a valid handle (may be static)
//   };
//
// Traits may carry state (a registry interface, a window whose DC was taken); it is kept beside the
// handle, like a unique_ptr's deleter.
#pragma once

#include <utility>

namespace lumo {

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h, Traits traits = Traits()) : handle_(h), traits_(std::move(traits)) {}
    explicit UniqueHandle(Traits traits) : traits_(std::move(traits)) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()), traits_(std::move(other.traits_)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            traits_ = std::move(other.traits_);
        }
        return *this;
    }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }

    // Closes what is held and takes h.
    void reset(Handle h = Traits::Invalid()) {
        Handle old = std::exchange(handle_, h);
        if (old != Traits::Invalid())
            traits_.Close(old);
    }
    // Gives up ownership without closing.
    [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::Invalid()); }

    // For calls that return a handle through a pointer: closes what is held first.
    Handle* out() {
        reset();
        return &handle_;
    }

    Traits& traits() { return traits_; }

private:
    Handle handle_ = Traits::Invalid();
    [[no_unique_address]] Traits traits_{};
};

}  // namespace lumo
