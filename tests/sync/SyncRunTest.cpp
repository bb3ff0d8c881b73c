// Whole read and write runs against the simulated handset, on the tests' clock: the request
// order the handset sees, the pacing, the book that results, and how each fault ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "book/Records.h"
#include "formats/BookJson.h"
#include "link/FrameCodec.h"
#include "link/ProtocolLog.h"
#include "sim/HandsetSim.h"
#include "support/BookBuilder.h"
#include "support/FakePage.h"
#include "support/SimPort.h"
#include "sync/PhoneSession.h"

namespace numora {
namespace {

using test::AddEntry;

struct Rig {
    explicit Rig(const PhoneBook& handsetBook, SimFaults faults = {},
                 std::set<std::string> answering = {"COM3"})
        : Rig(TablesFromBook(handsetBook), std::move(faults), std::move(answering)) {}
    explicit Rig(const HandsetTables& tables, SimFaults faults = {},
                 std::set<std::string> answering = {"COM3"})
        : sim(tables, std::move(faults)),
          port(clock, sim, std::move(answering)),
          session(book, page, port, clock, profile) {
        port.SetReceiver([this](std::span<uint8_t> b) { session.OnReceivedBlock(b); });
        port.SetOnLost([this] { session.Engine().OnPortLost(); });
        session.Engine().SetOnRunEnded([this](RunOutcome o) {
            outcomes.push_back(o);
            timersLeft = clock.HasTimers();
        });
        PortTable found{};
        found[3] = true;
        session.Search().ChooseFirstPort(found);
    }

    RunOutcome Read() {
        session.Engine().OnReadFromPhone();
        clock.RunUntilIdle();
        return outcomes.empty() ? RunOutcome::Failed : outcomes.back();
    }
    RunOutcome Write() {
        session.Engine().OnWriteToPhone();
        clock.RunUntilIdle();
        return outcomes.empty() ? RunOutcome::Failed : outcomes.back();
    }

    // Requests after the handshake, as (code, index) pairs: the element for items, the slot
    // for records.
    std::vector<std::pair<int, int>> Sequence() const {
        std::vector<std::pair<int, int>> out;
        bool open = false;
        for (const auto& r : port.Requests()) {
            const uint8_t code = r.bytes[0];
            if (code == cmd::kPassword) {
                open = true;
                continue;
            }
            if (!open || (code == cmd::kModeControl && r.bytes[1] == 1)) continue;
            int index = 0;
            if (code == cmd::kNvRead || code == cmd::kNvWrite) index = r.bytes[item::kElement];
            if (code == cmd::kGroupRead || code == cmd::kGroupWrite) index = r.bytes[1];
            if (code == cmd::kEntryRead || code == cmd::kEntryWrite) index = Le16(r.bytes, 1);
            if (code == cmd::kModeControl) index = r.bytes[1];
            out.emplace_back(code, index);
        }
        return out;
    }

    // Runs the clock until the last request sent starts with these bytes.
    void RunUntilSent(std::vector<uint8_t> head) {
        for (int ms = 0; ms < 600000; ++ms) {
            const auto rs = port.Requests();
            if (!rs.empty() && rs.back().bytes.size() >= head.size() &&
                std::equal(head.begin(), head.end(), rs.back().bytes.begin())) {
                return;
            }
            clock.Advance(1);
        }
        ADD_FAILURE() << "never sent";
    }

    int Count(uint8_t code) const {
        const auto rs = port.Requests();
        return static_cast<int>(
            std::count_if(rs.begin(), rs.end(), [&](const auto& r) { return r.bytes[0] == code; }));
    }

    test::FakeClock clock;
    PhoneBook book;
    test::FakePage page;
    MemoryProfile profile;
    HandsetSim sim;
    test::SimPort port;
    PhoneSession session;
    std::vector<RunOutcome> outcomes;
    bool timersLeft = false;  // when the run ended
};

void Append(std::vector<std::pair<int, int>>& seq, int code, int from, int to) {
    for (int i = from; i <= to; ++i)
        seq.emplace_back(code, i);
}

PhoneBook BookWithSlots(std::initializer_list<int> slots) {
    PhoneBook book;
    book.SetGroup(2, "Friends");
    for (int s : slots)
        AddEntry(book, s, "P" + std::to_string(s), s % 2 ? 2 : kEtcGroup);
    return book;
}

// The member counts of the data pass, from the last seven group records sent.
std::vector<int> DataPassCounts(const Rig& rig) {
    std::vector<int> counts;
    const auto rs = rig.port.Requests();
    for (auto it = rs.rbegin(); it != rs.rend() && counts.size() < 7; ++it) {
        if (it->bytes[0] == cmd::kGroupWrite) {
            counts.insert(counts.begin(), Le16(it->bytes, grouprec::kCount));
        }
    }
    return counts;
}

TEST(SyncRunTest, ReadOfAnEmptyHandset) {
    PhoneBook empty;
    Rig rig(empty);
    EXPECT_EQ(rig.Read(), RunOutcome::ReadCompleted);
    std::vector<std::pair<int, int>> expected;
    Append(expected, cmd::kNvRead, 0, 19);
    Append(expected, cmd::kNvRead, 0, 5);
    expected.emplace_back(cmd::kNvRead, 0);  // item 0x00DD
    expected.emplace_back(cmd::kMaskRead, 0);
    Append(expected, cmd::kGroupRead, 0, 7);
    expected.emplace_back(cmd::kEnd, 0);
    EXPECT_EQ(rig.Sequence(), expected);
    EXPECT_EQ(rig.Count(cmd::kPassword), 1);  // one handshake, whatever the search repeats
    EXPECT_EQ(rig.book.CountUsedEntries(), 0);
    EXPECT_TRUE(rig.page.enabled);
    EXPECT_EQ(rig.page.progress, 0);
    EXPECT_EQ(rig.page.maxProgress, kReadProgressEnd);
    EXPECT_EQ(std::vector<int>(rig.page.positions.begin(), rig.page.positions.begin() + 3),
              (std::vector<int>{0, 1, 2}));  // from an empty bar, whatever the last run left
    EXPECT_EQ(std::count(rig.page.positions.begin(), rig.page.positions.end(), kReadRecordPhasePos),
              1);  // at the mask request
    const auto end =
        std::find(rig.page.positions.begin(), rig.page.positions.end(), kReadProgressEnd);
    EXPECT_EQ(*(end - 1), kReadRecordPhasePos + 9);  // a step for the mask and each group record
    EXPECT_TRUE(rig.page.Called("ShowBook(Everything)"));
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_TRUE(rig.page.messages.empty());
    EXPECT_EQ(rig.profile.GetString(kPortSection, kPortKey, ""), "3");
}

TEST(SyncRunTest, ReadAsksForTheAnnouncedSlotsPacedByThePauses) {
    Rig rig(BookWithSlots({0, 5, 9}));
    rig.book.SetGroup(4, "Only in the window");  // replaced by what the phone holds
    AddEntry(rig.book, 7, "Only in the window", 4);
    EXPECT_EQ(rig.Read(), RunOutcome::ReadCompleted);
    const auto seq = rig.Sequence();
    const std::vector<std::pair<int, int>> tail(seq.end() - 4, seq.end());
    EXPECT_EQ(
        tail,
        (std::vector<std::pair<int, int>>{
            {cmd::kEntryRead, 0}, {cmd::kEntryRead, 5}, {cmd::kEntryRead, 9}, {cmd::kEnd, 0}}));
    std::vector<int64_t> at;
    for (const auto& r : rig.port.Requests()) {
        const bool entry = r.bytes[0] == cmd::kEntryRead;
        if (entry || (r.bytes[0] == cmd::kEnd && !at.empty())) at.push_back(r.ms);
    }
    ASSERT_EQ(at.size(), 4u);
    EXPECT_GE(at[1] - at[0], 150);  // the entry request's own pause
    EXPECT_GE(at[2] - at[1], 250);  // and the read's 100 ms more
    EXPECT_GE(at[3] - at[2], 250);
    // The handset's chain of group 2 is 9, 5; read back, chains follow slot order.
    ASSERT_EQ(test::Members(BookWithSlots({0, 5, 9}), 2), (std::vector<int>{9, 5}));
    EXPECT_EQ(test::Members(rig.book, 2), (std::vector<int>{5, 9}));
    EXPECT_EQ(BookToJson(rig.book), BookToJson(BookWithSlots({9, 5, 0})));
}

TEST(SyncRunTest, WriteFollowsTheTwoPassesAndCountsMembersFromTheList) {
    PhoneBook handset = test::LargestBook();
    Rig rig(handset);
    rig.book.SetGroup(2, "Friends");
    AddEntry(rig.book, 9, "Nine", 2);
    AddEntry(rig.book, 4, "Four", 2);
    AddEntry(rig.book, 1, "One", kEtcGroup);
    rig.book.SetSpeedDial(20, 4, NumberKind::Mobile);
    EXPECT_EQ(rig.Write(), RunOutcome::WriteCompleted);

    std::vector<std::pair<int, int>> expected;
    Append(expected, cmd::kNvWrite, 0, 18);
    Append(expected, cmd::kNvWrite, 0, 4);
    expected.emplace_back(cmd::kMaskWrite, 0);
    Append(expected, cmd::kGroupWrite, 0, 7);
    for (int e : {4, 9, 1})
        expected.emplace_back(cmd::kEntryWrite, e);
    Append(expected, cmd::kGroupWrite, 0, 6);
    expected.emplace_back(cmd::kMaskWrite, 0);
    Append(expected, cmd::kNvWrite, 1, 19);
    expected.emplace_back(cmd::kModeControl, 2);
    EXPECT_EQ(rig.Sequence(), expected);

    // The member counts travel in the last seven group records, those of the data pass.
    EXPECT_EQ(DataPassCounts(rig), (std::vector<int>{0, 0, 2, 0, 0, 297, 1}));

    // The handset now holds the written book.
    EXPECT_EQ(BookToJson(BookFromTables(rig.sim.Tables())), BookToJson(rig.book));
    EXPECT_EQ(rig.page.messages, (std::vector<std::string>{"Phonebook Write Completed!"}));
    EXPECT_TRUE(rig.page.enabled);
    EXPECT_EQ(rig.page.maxProgress, kWriteProgressEnd);
}

// The handset's answer to the last mode control comes in the pause before the port closes; the
// protocol log shows it as the answer it is.
TEST(SyncRunTest, WriteEndsWithTheMessageOnlyAfterThePortIsClosed) {
    PhoneBook empty;
    Rig rig(empty);
    ProtocolLog log(rig.clock);
    rig.session.SetTrace(&log);
    AddEntry(rig.book, 0, "Solo", kEtcGroup);
    bool portOpen = true;
    bool unlocked = true;
    int64_t shownAt = -1;
    rig.page.onMessage = [&](std::string_view) {
        portOpen = rig.port.IsOpen();
        unlocked = rig.page.enabled;
        shownAt = rig.clock.NowMs();
    };
    ASSERT_EQ(rig.Write(), RunOutcome::WriteCompleted);
    ASSERT_EQ(rig.page.messages, (std::vector<std::string>{"Phonebook Write Completed!"}));
    EXPECT_FALSE(portOpen);
    EXPECT_FALSE(unlocked);  // unlocked only once the box is dismissed
    EXPECT_TRUE(rig.page.enabled);
    const auto rs = rig.port.Requests();
    ASSERT_EQ(rs.back().bytes[0], cmd::kModeControl);
    EXPECT_EQ(rs.back().bytes[1], 2);
    EXPECT_GE(shownAt - rs.back().ms, kWriteEndPauseMs);
    const auto& last = log.Lines().back();
    EXPECT_EQ(last.bytes, (std::vector<uint8_t>{cmd::kModeControl, 2, 0}));
    EXPECT_EQ(last.note, "");
}

TEST(SyncRunTest, WriteThenReadGivesTheBookBack) {
    PhoneBook empty;
    Rig rig(empty);
    rig.book = test::LargestBook();
    PBEntry e;
    ASSERT_TRUE(rig.book.GetEntry(10, e));
    e.ringer = 150;  // a downloaded sound: written as the default, and kept so in the book
    rig.book.SetEntry(e);
    ASSERT_EQ(rig.Write(), RunOutcome::WriteCompleted);
    EXPECT_EQ(rig.book.Entry(10).ringer, 0xFFFF);
    const std::string written = BookToJson(rig.book);

    PhoneBook elsewhere;
    rig.book = elsewhere;
    ASSERT_EQ(rig.Read(), RunOutcome::ReadCompleted);
    EXPECT_EQ(BookToJson(rig.book), written);
}

TEST(SyncRunTest, EntriesOfAGroupTheHandsetHasNoNameForAreReadAndWrittenUnderGroupN) {
    PhoneBook handset;
    handset.SetGroup(3, "Work");
    AddEntry(handset, 7, "Vera", 3, "0777");
    AddEntry(handset, 9, "Ugo", kEtcGroup, "0999");
    HandsetTables tables = TablesFromBook(handset);
    tables.groups[3] = HandsetTables().groups[3];
    Rig rig(tables);
    ASSERT_EQ(rig.Read(), RunOutcome::ReadCompleted);
    EXPECT_EQ(TextOf(rig.book.Group(3).name), "Group 3");
    EXPECT_EQ(rig.book.Entry(7).group, 3);

    Rig blank(PhoneBook{});
    blank.book = rig.book;
    ASSERT_EQ(blank.Write(), RunOutcome::WriteCompleted);
    const PhoneBook written = BookFromTables(blank.sim.Tables());
    EXPECT_TRUE(written.IsValidEntry(7));
    EXPECT_TRUE(written.IsValidEntry(9));
    EXPECT_EQ(written.Entry(7).group, 3);
}

TEST(SyncRunTest, BusyHandsetIsPolledEvery100ms) {
    SimFaults faults;
    faults.busyPolls = 3;
    Rig rig(BookWithSlots({2}), faults);
    EXPECT_EQ(rig.Read(), RunOutcome::ReadCompleted);
    std::vector<int64_t> polls;
    for (const auto& r : rig.port.Requests()) {
        if (r.bytes[0] == cmd::kStatus) polls.push_back(r.ms);
    }
    ASSERT_EQ(polls.size(), 4u);
    for (std::size_t i = 1; i < polls.size(); ++i) {
        EXPECT_GE(polls[i] - polls[i - 1], test::SimPort::kReplyDelayMs + kStatusPollPauseMs);
    }
    EXPECT_EQ(rig.book.CountUsedEntries(), 1);
}

// A slow handset takes nearly the whole reply time for each item and record: every reply the
// run takes starts the wait for the next one again.
TEST(SyncRunTest, TheReplyTimeStartsAgainWithEveryReply) {
    for (const bool write : {false, true}) {
        SimFaults faults;
        faults.recordDelayMs = 900;
        Rig rig(BookWithSlots({1, 2, 3}), faults);
        rig.session.Engine().SetTimeouts(kDefaultSearchTimeoutMs, 1000);
        if (write) rig.book = BookWithSlots({4, 5});
        EXPECT_EQ(write ? rig.Write() : rig.Read(),
                  write ? RunOutcome::WriteCompleted : RunOutcome::ReadCompleted);
    }
}

// Stopped from outside (the window closing, the tool interrupted), a run ends at once without a
// message, unless the handset already holds or has sent the whole book: then it completes.
TEST(SyncRunTest, CancelEndsTheRunOrCompletesWhatIsWhole) {
    struct Case {
        const char* when;
        bool write;
        std::vector<std::vector<uint8_t>> sent;  // the requests the run has sent, in order
        RunOutcome outcome;
        std::vector<std::string> messages;
        bool broken;
    };
    const std::vector<Case> cases = {
        {"reading items", false, {{cmd::kNvRead, 0x14, 0x04}}, RunOutcome::Cancelled, {}, false},
        {"read whole",
         false,
         {{cmd::kEntryRead}, {cmd::kEnd}},
         RunOutcome::ReadCompleted,
         {},
         false},
        {"writing entries", true, {{cmd::kEntryWrite}}, RunOutcome::Cancelled, {}, true},
        {"write whole",
         true,
         {{cmd::kModeControl, 2}},
         RunOutcome::WriteCompleted,
         {"Phonebook Write Completed!"},
         false},
    };
    for (const Case& c : cases) {
        Rig rig(BookWithSlots({1, 2, 3}));
        if (c.write) {
            rig.book = BookWithSlots({4, 5});
            rig.session.Engine().OnWriteToPhone();
        } else {
            rig.session.Engine().OnReadFromPhone();
        }
        for (const auto& request : c.sent)
            rig.RunUntilSent(request);
        rig.session.Engine().Cancel();
        EXPECT_EQ(rig.outcomes, std::vector<RunOutcome>{c.outcome}) << c.when;
        rig.clock.RunUntilIdle();
        EXPECT_EQ(rig.outcomes.size(), 1u) << c.when;
        EXPECT_EQ(rig.page.messages, c.messages) << c.when;
        EXPECT_EQ(rig.session.Engine().PhoneBookBroken(), c.broken) << c.when;
        EXPECT_FALSE(rig.port.IsOpen()) << c.when;
        EXPECT_TRUE(rig.page.enabled) << c.when;
    }
}

// A read whose book is whole and only waits for the handset's last answer gives way to a new
// run; any other run refuses to be started twice.
TEST(SyncRunTest, ANewRunLeavesAWholeReadBehindButNoOtherRun) {
    Rig rig(BookWithSlots({1, 2}));
    rig.session.Engine().OnReadFromPhone();
    rig.RunUntilSent({cmd::kNvRead});
    rig.session.Engine().OnReadFromPhone();
    EXPECT_TRUE(rig.outcomes.empty());
    rig.RunUntilSent({cmd::kEnd});
    rig.session.Engine().OnReadFromPhone();
    EXPECT_EQ(rig.outcomes, std::vector<RunOutcome>{RunOutcome::ReadCompleted});
    rig.clock.RunUntilIdle();
    EXPECT_EQ(rig.outcomes,
              (std::vector<RunOutcome>{RunOutcome::ReadCompleted, RunOutcome::ReadCompleted}));
    EXPECT_EQ(rig.Count(cmd::kPassword), 2);
}

// Every fault ends one of two ways: the exact book (on the handset after a write, in the window
// after a read), or a failed run in a defined state that says why, once. Never a completed run
// with another book.
struct FaultCase {
    const char* name;
    bool write;
    SimFaults faults;
    RunFailure cause;          // None: the run succeeds
    const char* message = "";  // the failure's own, after the connection message
    bool phoneBroken = false;  // a failed write left the phone incomplete
    int64_t withinMs = 60000;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class SyncFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SyncFaultTest, EveryFaultEndsWithTheExactBookOrInADefinedState) {
    const FaultCase& c = GetParam();
    const PhoneBook handsetBook = BookWithSlots({1, 2, 3, 40, 41, 42, 43, 44});
    Rig rig(handsetBook, c.faults);
    if (c.write) rig.book = test::LargestBook();
    // A message box runs its own event loop: time goes on while it is open.
    rig.page.onMessage = [&rig](std::string_view) { rig.clock.Advance(10000); };
    const int64_t started = rig.clock.NowMs();
    const RunOutcome outcome = c.write ? rig.Write() : rig.Read();
    EXPECT_FALSE(rig.timersLeft);  // nothing left running behind the end
    EXPECT_TRUE(rig.page.enabled);
    EXPECT_EQ(rig.page.progress, 0);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(rig.outcomes.size(), 1u);
    if (c.cause == RunFailure::None) {
        ASSERT_EQ(outcome, c.write ? RunOutcome::WriteCompleted : RunOutcome::ReadCompleted);
        if (c.write) {
            EXPECT_EQ(BookToJson(BookFromTables(rig.sim.Tables())), BookToJson(rig.book));
            EXPECT_EQ(rig.page.messages, (std::vector<std::string>{"Phonebook Write Completed!"}));
        } else {
            EXPECT_EQ(BookToJson(rig.book), BookToJson(BookFromTables(rig.sim.Tables())));
            EXPECT_TRUE(rig.page.messages.empty());
        }
        return;
    }
    EXPECT_EQ(outcome, RunOutcome::Failed);
    EXPECT_EQ(rig.session.Engine().Failure().cause, c.cause);
    EXPECT_EQ(rig.page.messages, (std::vector<std::string>{
                                     "Check Phone connection and power on !!!     ", c.message}));
    EXPECT_EQ(rig.session.Engine().PhoneBookBroken(), c.phoneBroken);
    EXPECT_LT(rig.clock.NowMs() - started, c.withinMs + 2 * 10000);
    if (!c.write) {
        EXPECT_EQ(rig.page.workFileDeletes, 2);
    }
}

SimFaults Refuse() {
    SimFaults f;
    f.refusePassword = true;
    return f;
}
SimFaults At(std::set<int> SimFaults::*which, std::set<int> requests) {
    SimFaults f;
    f.*which = std::move(requests);
    return f;
}
SimFaults BusyFor(int ms) {
    SimFaults f;
    f.busyForMs = ms;
    return f;
}
SimFaults RefuseModeForEver() {
    SimFaults f;
    f.refuseMode = true;
    return f;
}
SimFaults SplitAt(int request, int pauseMs) {
    SimFaults f = At(&SimFaults::splitAt, {request});
    f.splitPauseMs = pauseMs;
    return f;
}
SimFaults Talking(SimTalk talk) {
    SimFaults f;
    f.talk = talk;
    return f;
}

constexpr const char* kPasswordRefused =
    "The handset refused the password. Another handset's password can be set in the profile as "
    "\"Port Setting\"/\"Password\" (16 hexadecimal digits).";
constexpr const char* kSilent = "The handset stopped answering.";
constexpr const char* kPortLost = "The handset's port went away (unplugged, or switched off).";
constexpr const char* kModeRefused = "The handset refused the transfer mode 11 times.";

// Requests: 1 is the search's End, 2 mode control, then in a read 3 the status poll, 4 the
// password, 5 on the sequence (items up to 31, the mask 32, groups 33 to 40, entries from 41);
// in a write 3 the password, then the clearing items and from about 37 the entries. The
// search's second mode control falls somewhere among the first items.
INSTANTIATE_TEST_SUITE_P(
    Faults, SyncFaultTest,
    ::testing::Values(
        FaultCase{"RefusedPassword", false, Refuse(), RunFailure::PasswordRefused,
                  kPasswordRefused},
        FaultCase{"RefusedPasswordInWrite", true, Refuse(), RunFailure::PasswordRefused,
                  kPasswordRefused},
        FaultCase{"DroppedReply", false, At(&SimFaults::dropAt, {12}), RunFailure::Silent, kSilent},
        // The book is whole: the answer that ends the session is not waited for for ever.
        FaultCase{"DroppedLastAnswer", false, At(&SimFaults::dropAt, {50}), RunFailure::None},
        FaultCase{"GarbledReplyIsAskedForAgain", false, At(&SimFaults::garbleAt, {30}),
                  RunFailure::None},
        FaultCase{"BadCheckTwiceIsAskedForAgain", false, At(&SimFaults::badFcsAt, {42, 43}),
                  RunFailure::None},
        FaultCase{"BadCheckThreeTimesEndsTheRun", false, At(&SimFaults::badFcsAt, {42, 43, 44}),
                  RunFailure::DamagedReplies,
                  "The handset's replies kept arriving damaged (3 in a row): check the cable."},
        FaultCase{"EntryReplyTwice", false, At(&SimFaults::twiceAt, {43, 44}), RunFailure::None},
        FaultCase{"EntryReplySplitWithAPause", false, SplitAt(44, 2000), RunFailure::None},
        FaultCase{"ItemReplySplit", false, SplitAt(8, 120), RunFailure::None},
        FaultCase{"BusyFor20Seconds", false, BusyFor(20000), RunFailure::None},
        FaultCase{"BusyForThreeMinutes", false, BusyFor(180000), RunFailure::Busy,
                  "The handset stayed busy for more than 2 minutes.", false, kBusyLimitMs + 10000},
        FaultCase{"ModeRefusedForEver", false, RefuseModeForEver(), RunFailure::ModeRefused,
                  kModeRefused},
        FaultCase{"ModeRefusedForEverInWrite", true, RefuseModeForEver(), RunFailure::ModeRefused,
                  kModeRefused},
        FaultCase{"HangUpInRead", false, At(&SimFaults::hangupAt, {40}), RunFailure::PortLost,
                  kPortLost},
        FaultCase{"HangUpAtThePassword", true, At(&SimFaults::hangupAt, {3}), RunFailure::PortLost,
                  kPortLost},
        FaultCase{"HangUpInWrite", true, At(&SimFaults::hangupAt, {60}), RunFailure::PortLost,
                  kPortLost, true},
        FaultCase{"DroppedEcho", true, At(&SimFaults::dropAt, {50}), RunFailure::Silent, kSilent,
                  true},
        FaultCase{"EntryEchoTwice", true, At(&SimFaults::twiceAt, {100, 101}), RunFailure::None},
        FaultCase{"EchoSplitWithAPause", true, SplitAt(120, 3000), RunFailure::None},
        FaultCase{"BadCheckInWrite", true, At(&SimFaults::badFcsAt, {200}), RunFailure::None},
        // A port that is no handset and never stops talking is left at the search's time-out.
        FaultCase{"TalksTextWithoutPause", false, Talking(SimTalk::Text), RunFailure::NoHandset,
                  "No handset answered on the ports tried: COM3.", false,
                  kDefaultSearchTimeoutMs + 1},
        FaultCase{"SendsFlagsWithoutPause", true, Talking(SimTalk::Flags), RunFailure::NoHandset,
                  "No handset answered on the ports tried: COM3.", false,
                  kDefaultSearchTimeoutMs + 1}),
    [](const auto& p) { return std::string(p.param.name); });

// A write cut off at each of its stages leaves on the handset what the engine says it holds:
// the clearing pass empties the used-slot mask before the first entry, and the data pass writes
// it again after the groups, so in between a read finds no entries at all.
TEST(SyncRunTest, AStoppedWriteKnowsWhatAReadOfThePhoneFinds) {
    PhoneBook written;
    for (int slot = 0; slot < 20; ++slot)
        AddEntry(written, slot, "W" + std::to_string(slot), kEtcGroup);
    written.SetSpeedDial(7, 4, NumberKind::Mobile);
    struct Case {
        int hangupAt;  // requests: 3 the password, then about 19 speed dials, 5 SMS groups,
                       // the mask, 8 groups, 20 entries, 7 groups, the mask, 19 speed dials
        PhoneHolds holds;
        int entriesRead;
    };
    const Case cases[] = {
        {3, PhoneHolds::ItsBook, 3},
        {10, PhoneHolds::ItsEntriesLessSpeedDials, 3},
        {45, PhoneHolds::NoEntries, 0},
        {60, PhoneHolds::NoEntries, 0},
        {75, PhoneHolds::NewEntriesLessSpeedDials, 20},
    };
    for (const Case& c : cases) {
        Rig rig(BookWithSlots({1, 2, 3}), At(&SimFaults::hangupAt, {c.hangupAt}));
        rig.book = written;
        ASSERT_EQ(rig.Write(), RunOutcome::Failed) << c.hangupAt;
        EXPECT_EQ(rig.session.Engine().Holds(), c.holds) << c.hangupAt;
        EXPECT_EQ(rig.session.Engine().PhoneBookBroken(), c.holds != PhoneHolds::ItsBook);
        EXPECT_EQ(BookFromTables(rig.sim.Tables()).CountUsedEntries(), c.entriesRead) << c.hangupAt;
    }
    EXPECT_EQ(WriteStoppedMessage(PhoneHolds::NoEntries),
              "The write stopped: the phone now holds no entries. Write the book to the phone "
              "again.");
}

// A device named for the run stands for every port number. When it talks without pause, each
// burst without "OK" moves the search on: the numbers stay within 1 to 50, the time-out holds
// whatever the port sends, and the search still ends at it.
TEST(SyncRunTest, ATalkingDeviceIsLeftAtTheTimeOutWithThePortNumbersInRange) {
    for (const SimTalk talk : {SimTalk::Text, SimTalk::Flags}) {
        Rig rig(PhoneBook{}, Talking(talk), {"*"});
        rig.session.Engine().SetTimeouts(10000, kDefaultReplyTimeoutMs);
        EXPECT_EQ(rig.Read(), RunOutcome::Failed);
        EXPECT_EQ(rig.clock.NowMs(), 10000);
        EXPECT_GT(rig.port.chatterBlocks, 500);
        for (const std::string& name : rig.port.opened) {
            const int n = std::stoi(name.substr(3));
            EXPECT_TRUE(n >= 1 && n <= kHighestPort) << name;
        }
        EXPECT_EQ(rig.session.Engine().Failure().cause, RunFailure::NoHandset);
        EXPECT_EQ(rig.page.messages.back().rfind("No handset answered on the ports tried: COM3, "
                                                 "COM4",
                                                 0),
                  0u)
            << rig.page.messages.back();
    }
}

// A reply that answers nothing the run asked for (here an entry record nobody requested) is
// ignored, and the protocol log says so.
TEST(SyncRunTest, UnsolicitedRepliesAreIgnoredAndLoggedAsSuch) {
    const PhoneBook handset = BookWithSlots({1, 2, 3, 4, 5, 6});
    Rig rig(handset);
    ProtocolLog log(rig.clock);
    rig.session.SetTrace(&log);
    const auto stray = EncodeFrame(EntryReply(rig.sim.Tables(), 6));
    rig.clock.StartTimer(4000, [&] { rig.port.Inject(stray); });
    ASSERT_EQ(rig.Read(), RunOutcome::ReadCompleted);
    EXPECT_EQ(BookToJson(rig.book), BookToJson(BookFromTables(rig.sim.Tables())));
    const auto ignored = std::count_if(log.Lines().begin(), log.Lines().end(), [](const auto& l) {
        return l.dir == TraceDir::In && l.note == "ignored" && l.bytes[0] == cmd::kEntryRead;
    });
    EXPECT_EQ(ignored, 1);
    // The requests are logged too, and the handset's answers to the search.
    for (const TraceDir dir : {TraceDir::Out, TraceDir::In}) {
        EXPECT_TRUE(std::any_of(log.Lines().begin(), log.Lines().end(), [&](const auto& l) {
            const std::string text(l.bytes.begin(), l.bytes.end());
            return l.dir == dir && (dir == TraceDir::Out || text.find("OK") != std::string::npos);
        }));
    }
}

TEST(SyncRunTest, ModeRefusedInTheMiddleOfAWriteStartsItOver) {
    PhoneBook empty;
    Rig clean(empty);
    clean.book = test::LargestBook();
    ASSERT_EQ(clean.Write(), RunOutcome::WriteCompleted);
    // Refused while the data pass sends its group records, after the members were counted.
    SimFaults faults = At(&SimFaults::refuseModeAt, {30, 342});
    Rig rig(empty, faults);
    rig.book = test::LargestBook();
    ASSERT_EQ(rig.Write(), RunOutcome::WriteCompleted);
    EXPECT_EQ(DataPassCounts(rig), DataPassCounts(clean));
    EXPECT_EQ(rig.Count(cmd::kPassword), 3);
    // After the new handshake the write starts again with the first clearing item.
    const auto rs = rig.port.Requests();
    auto second = std::find_if(rs.begin(), rs.end(),
                               [](const auto& r) { return r.bytes[0] == cmd::kPassword; });
    second = std::find_if(second + 1, rs.end(),
                          [](const auto& r) { return r.bytes[0] == cmd::kPassword; });
    ASSERT_NE(second + 1, rs.end());
    EXPECT_EQ((second + 1)->bytes[0], cmd::kNvWrite);
    EXPECT_EQ((second + 1)->bytes[item::kElement], 0);
    EXPECT_EQ(BookToJson(BookFromTables(rig.sim.Tables())), BookToJson(rig.book));
}

// The times at which entry requests (or entry writes) went out.
std::vector<int64_t> EntryTimes(const Rig& rig, uint8_t code) {
    std::vector<int64_t> at;
    for (const auto& r : rig.port.Requests()) {
        if (r.bytes[0] == code) at.push_back(r.ms);
    }
    return at;
}

int64_t ShortestGap(const std::vector<int64_t>& at) {
    int64_t gap = INT64_MAX;
    for (std::size_t k = 1; k < at.size(); ++k)
        gap = std::min(gap, at[k] - at[k - 1]);
    return gap;
}

TEST(SyncPaceTest, FastRunsGiveTheSameBookWithoutThePauses) {
    const PhoneBook source = test::LargestBook();
    Rig specified(source);
    ASSERT_EQ(specified.Read(), RunOutcome::ReadCompleted);
    Rig fast(source);
    fast.session.Engine().SetPace(Pace::Fast);
    ASSERT_EQ(fast.Read(), RunOutcome::ReadCompleted);
    EXPECT_EQ(BookToJson(fast.book), BookToJson(specified.book));
    EXPECT_FALSE(fast.timersLeft);
    EXPECT_EQ(fast.Sequence(), specified.Sequence());
    // The next entry request follows the last reply, not the 150 and 100 ms pauses.
    EXPECT_LT(ShortestGap(EntryTimes(fast, cmd::kEntryRead)), kEntryRequestPauseMs);
    EXPECT_GE(ShortestGap(EntryTimes(specified, cmd::kEntryRead)), kEntryRequestPauseMs);

    PhoneBook empty;
    Rig fastWrite(empty);
    fastWrite.session.Engine().SetPace(Pace::Fast);
    fastWrite.book = test::LargestBook();
    ASSERT_EQ(fastWrite.Write(), RunOutcome::WriteCompleted);
    EXPECT_EQ(BookToJson(BookFromTables(fastWrite.sim.Tables())), BookToJson(fastWrite.book));
    EXPECT_LT(ShortestGap(EntryTimes(fastWrite, cmd::kEntryWrite)), kEntryWritePauseMs);
    // The end of a write keeps its pause before the port closes.
    const auto rs = fastWrite.port.Requests();
    ASSERT_EQ(rs.back().bytes[0], cmd::kModeControl);
}

struct FallbackCase {
    const char* name;
    SimFaults faults;
};

void PrintTo(const FallbackCase& c, std::ostream* os) {
    *os << c.name;
}

class SyncFallbackTest : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(SyncFallbackTest, ALateHandsetGetsTheSpecifiedPaceAndTheSameBook) {
    const PhoneBook source = test::LargestBook();
    Rig rig(source, GetParam().faults);
    ProtocolLog log(rig.clock);
    rig.session.SetTrace(&log);
    rig.session.Engine().SetPace(Pace::Fast);
    ASSERT_EQ(rig.Read(), RunOutcome::ReadCompleted);
    EXPECT_EQ(BookToJson(rig.book), BookToJson(source));
    int fallbacks = 0;
    for (const auto& line : log.Lines()) {
        if (line.note == kFallbackNote) ++fallbacks;
    }
    EXPECT_EQ(fallbacks, 1);
    // From the fallback on, entry requests keep the specified pauses again.
    EXPECT_GE(ShortestGap(EntryTimes(rig, cmd::kEntryRead)), kEntryRequestPauseMs);
}

SimFaults SlowHandset() {
    SimFaults f;
    f.recordDelayMs = 400;
    return f;
}

SimFaults DropsNowAndThen() {
    SimFaults f;
    f.dropAt = {8, 20};
    return f;
}

// A handset whose every reply comes in two parts 2 s apart is read at the pace it is set to; at the
// fast pace the replies it is asked for again queue up behind each other, and late duplicates
// still show it is there: the run falls back and reads the same book.
TEST(SyncPaceTest, FastPaceReadsWhereTheSpecifiedPaceReads) {
    SimFaults faults;
    for (int request = 1; request < 200; ++request)
        faults.splitAt.insert(request);
    faults.splitPauseMs = 2000;
    const PhoneBook source = BookWithSlots({1, 2, 3, 40});
    for (const Pace pace : {Pace::Specified, Pace::Fast}) {
        Rig rig(source, faults);
        rig.session.Engine().SetPace(pace);
        ASSERT_EQ(rig.Read(), RunOutcome::ReadCompleted) << static_cast<int>(pace);
        EXPECT_EQ(BookToJson(rig.book), BookToJson(BookFromTables(rig.sim.Tables())));
    }
}

INSTANTIATE_TEST_SUITE_P(Pace, SyncFallbackTest,
                         ::testing::Values(FallbackCase{"SlowHandset", SlowHandset()},
                                           FallbackCase{"DropsNowAndThen", DropsNowAndThen()}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace numora
