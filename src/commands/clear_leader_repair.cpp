#include "commands/clear_leader_repair.h"

#include <algorithm>
#include <vector>

#include "commands/clear_leader_pass.h"

namespace zkl {

namespace {

std::size_t WithoutClearLeader(const ClearLeaderPass& pass, const std::vector<std::size_t>& labels) {
    return static_cast<std::size_t>(std::count_if(labels.begin(), labels.end(), [&](std::size_t label) {
        return !pass.Labels()[label].place.clear;
    }));
}

// The labels of this pass standing across the shortest blocked leaders of a taken label. A
// place blocked by anything the pass cannot move (a side label) is passed over.
std::vector<std::size_t> Blockers(const ClearLeaderPass& pass, std::size_t label, std::int64_t& probes) {
    const ClearLeaderLabel& taken = pass.Labels()[label];
    ClearLeaderPlace look = pass.Search(label, true);
    probes += look.search.probes;
    std::vector<CandidatePlace> blocked;
    for (const CandidatePlace& place : look.candidates)
        if (place.verdict == CandidateVerdict::MeetsLeader || place.verdict == CandidateVerdict::MeetsBody)
            blocked.push_back(place);
    std::stable_sort(blocked.begin(), blocked.end(), [](const CandidatePlace& a, const CandidatePlace& b) {
        return a.leaderLength < b.leaderLength;
    });

    const LeaderPreview preview(pass.host(), taken.body, taken.anchor);
    std::vector<std::size_t> group;
    std::size_t used = 0;
    for (const CandidatePlace& place : blocked) {
        if (used == RepairBlockedPlaces) break;
        std::vector<std::size_t> movers;
        bool movable = true;
        for (const ElementId cell : pass.Clearance().AllObstacles(taken.anchor, preview.AttachPoint(place.offset))) {
            const std::optional<std::size_t> mover = pass.LabelOfCell(cell);
            if (!mover) {
                movable = false;
                break;
            }
            movers.push_back(*mover);
        }
        if (!movable || movers.empty()) continue;
        std::vector<std::size_t> joined = group;
        for (const std::size_t mover : movers)
            if (std::find(joined.begin(), joined.end(), mover) == joined.end()) joined.push_back(mover);
        if (joined.size() > RepairGroupLimit) continue;
        group = std::move(joined);
        ++used;
    }
    std::sort(group.begin(), group.end());
    return group;
}

std::int64_t Probes(const ClearLeaderPass& pass, const std::vector<std::size_t>& labels) {
    std::int64_t probes = 0;
    for (const std::size_t label : labels) probes += pass.Labels()[label].place.search.probes;
    return probes;
}

// One attempt for one label that fell back; true when the change was kept. Counts the fence
// probes it made into `probes`.
bool Repair(ClearLeaderPass& pass, std::size_t label, std::int64_t& probes) {
    const ClearLeaderLabel savedLabel = pass.Labels()[label];
    pass.Take(label);
    const std::vector<std::size_t> group = Blockers(pass, label, probes);
    if (group.empty()) {
        pass.Restore(label, savedLabel);
        return false;
    }
    std::vector<ClearLeaderLabel> saved;
    for (const std::size_t member : group) saved.push_back(pass.Labels()[member]);
    const std::size_t before = 1 + WithoutClearLeader(pass, group);

    for (const std::size_t member : group) pass.Take(member);
    pass.Put(label);
    for (const std::size_t member : group) pass.Put(member);

    std::vector<std::size_t> moved = group;
    moved.push_back(label);
    probes += Probes(pass, moved);
    if (WithoutClearLeader(pass, moved) < before) return true;

    for (const std::size_t member : moved) pass.Take(member);
    pass.Restore(label, savedLabel);
    for (std::size_t i = 0; i < group.size(); ++i) pass.Restore(group[i], saved[i]);
    return false;
}

}  // namespace

ClearLeaderRepair RepairClearLeaders(ClearLeaderPass& pass) {
    ClearLeaderRepair result;
    std::vector<std::size_t> all(pass.Labels().size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    const auto budget = static_cast<std::int64_t>(RepairProbeShare * static_cast<double>(Probes(pass, all)));
    for (int round = 0; round < ClearLeaderRepairRounds; ++round) {
        ++result.rounds;
        std::size_t kept = 0;
        for (std::size_t label = 0; label < pass.Labels().size(); ++label) {
            const ClearLeaderPlace& place = pass.Labels()[label].place;
            if (place.clear || place.firstFreeStep > RepairFirstFreeSteps) continue;
            if (result.probes >= budget) return result;
            ++result.tried;
            if (Repair(pass, label, result.probes)) ++kept;
        }
        result.repaired += kept;
        if (kept == 0) break;
    }
    return result;
}

}  // namespace zkl
