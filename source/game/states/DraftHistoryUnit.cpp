#include "game/states/DraftHistoryUnit.h"

namespace {

std::optional<TStageDraft> Move(std::deque<TStageDraft>& from, std::deque<TStageDraft>& to,
                                const TStageDraft& current) {
    if (from.empty())
        return std::nullopt;
    std::optional<TStageDraft> next = std::move(from.back());
    from.pop_back();
    to.push_back(current);
    return next;
}

} // namespace

void TDraftHistory::Record(const TStageDraft& before) {
    if (Past.size() == static_cast<std::size_t>(MaxSteps))
        Past.pop_front();
    Past.push_back(before);
    Future.clear();
}

std::optional<TStageDraft> TDraftHistory::Undo(const TStageDraft& current) {
    return Move(Past, Future, current);
}

std::optional<TStageDraft> TDraftHistory::Redo(const TStageDraft& current) {
    return Move(Future, Past, current);
}

void TDraftHistory::Clear() {
    Past.clear();
    Future.clear();
}
