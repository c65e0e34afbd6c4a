#include "change_finder.h"

#include <algorithm>

namespace hostline {

void ChangeFinder::Write(std::string_view bytes) {
    if (stopped_) return;
    if (!changed_) {
        const std::string_view old = old_.substr(std::min<std::uint64_t>(at_ - from_, old_.size()));
        const auto same = static_cast<std::size_t>(
            std::mismatch(bytes.begin(), bytes.end(), old.begin(), old.end()).first - bytes.begin());
        at_ += same;
        bytes.remove_prefix(same);
        if (bytes.empty() || !StartChanging()) return;
    }
    for (; !bytes.empty() && !stopped_; bytes.remove_prefix(std::min(bytes.size(), pieceSize_))) {
        const std::string_view piece = bytes.substr(0, pieceSize_);
        stopped_ = !Changed(at_, piece);
        at_ += piece.size();
    }
}

bool ChangeFinder::StartChanging() {
    changed_ = true;
    stopped_ = !Begin(at_);
    return !stopped_;
}

}  // namespace hostline
