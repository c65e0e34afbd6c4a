// Comparing the new content with the old bytes as it is built: bytes that are the same are passed
// over, and from the first one that differs on, the rest goes on in pieces no longer than one write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hosts_file.h"

namespace hostline {

// The most one read or write of the hosts file moves. Writes go in pieces of this size, so that a
// write that fails leaves at most one piece whose bytes are in doubt.
constexpr std::size_t kMaxTransfer = 1u << 20;

// Receives the new content from `from` on, where the file's old bytes are `old`. From the first
// byte that differs, Begin decides whether the rest goes on, and Changed gets it piece by piece.
class ChangeFinder : public ContentSink {
public:
    ChangeFinder(std::uint64_t from, std::string_view old, std::size_t pieceSize)
        : from_(from), old_(old), pieceSize_(pieceSize > 0 ? pieceSize : 1), at_(from) {}

    void Write(std::string_view bytes) final;

    // After the last piece: whether the new content differs from the old at all, its end included.
    bool Differs() const { return changed_ || at_ != OldEnd(); }
    // True once Begin or Changed has refused to go on.
    bool Stopped() const { return stopped_; }
    // Whether a byte that differs has been met, and Begin called for it.
    bool Began() const { return changed_; }
    // Where the new content handed in so far ends.
    std::uint64_t End() const { return at_; }

protected:
    ~ChangeFinder() = default;

    // Called once, at the first byte that differs (or the old end, through StartChanging); false stops.
    virtual bool Begin(std::uint64_t firstChange) = 0;
    // The new bytes from `offset` on, from the first change on, at most one piece; false stops.
    virtual bool Changed(std::uint64_t offset, std::string_view piece) = 0;

    bool StartChanging();
    void Stop() { stopped_ = true; }
    // Where the old bytes end in the file.
    std::uint64_t OldEnd() const { return from_ + old_.size(); }

private:
    std::uint64_t from_;
    std::string_view old_;
    std::size_t pieceSize_;
    std::uint64_t at_;
    bool changed_ = false;
    bool stopped_ = false;
};

}  // namespace hostline
