#include "sim/SimArgs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace numora {
namespace {

std::optional<SimArgs> Parse(const std::vector<std::string>& args, std::string* error = nullptr) {
    QCommandLineParser parser;
    DeclareSimOptions(parser);
    QStringList line{QStringLiteral("numora-sim")};
    for (const std::string& a : args)
        line << QString::fromStdString(a);
    EXPECT_TRUE(parser.parse(line)) << parser.errorText().toStdString();
    std::string e;
    auto out = TakeSimArgs(parser, e);
    if (error != nullptr) *error = e;
    return out;
}

TEST(SimArgs, TakesEveryOptionTogether) {
    const std::string line =
        "--book in.pb --save out.pb --link /tmp/tty --trace --wire-speed --busy 3 "
        "--refuse-password --refuse-mode-at 4 --drop 5 --drop 9 --garble 6 --hangup 7 "
        "--password 00ff10203040507f --busy-for 12 --split-pause 13 --delay 14 --refuse-mode "
        "--bad-fcs 8 --twice 10 --split 11 --talk flags";
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;)
        words.push_back(w);
    const auto a = Parse(words);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->bookPath, "in.pb");
    EXPECT_EQ(a->savePath, "out.pb");
    EXPECT_EQ(a->linkPath, "/tmp/tty");
    EXPECT_TRUE(a->trace);
    EXPECT_TRUE(a->wireSpeed);
    EXPECT_EQ(a->faults.busyPolls, 3);
    EXPECT_TRUE(a->faults.refusePassword);
    EXPECT_EQ(a->faults.refuseModeAt, (std::set<int>{4}));
    EXPECT_EQ(a->faults.dropAt, (std::set<int>{5, 9}));
    EXPECT_EQ(a->faults.garbleAt, (std::set<int>{6}));
    EXPECT_EQ(a->faults.hangupAt, (std::set<int>{7}));
    EXPECT_EQ(a->password, (Password{0x00, 0xFF, 0x10, 0x20, 0x30, 0x40, 0x50, 0x7F}));
    EXPECT_TRUE(a->faults.refuseMode);
    EXPECT_EQ(a->faults.badFcsAt, (std::set<int>{8}));
    EXPECT_EQ(a->faults.twiceAt, (std::set<int>{10}));
    EXPECT_EQ(a->faults.splitAt, (std::set<int>{11}));
    EXPECT_EQ(a->faults.splitPauseMs, 13);
    EXPECT_EQ(a->faults.busyForMs, 12);
    EXPECT_EQ(a->faults.recordDelayMs, 14);
    EXPECT_EQ(a->faults.talk, SimTalk::Flags);
}

TEST(SimArgs, NothingGivenMeansAWellBehavedEmptyHandset) {
    const auto a = Parse({});
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->bookPath.empty());
    EXPECT_FALSE(a->password);
    EXPECT_EQ(a->faults.busyPolls, 0);
    EXPECT_TRUE(a->faults.dropAt.empty());
}

TEST(SimArgs, RefusesMistakesWithAReason) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--save", ""}, "--save needs a value"},
        {{"--drop", "0"}, "--drop takes a number from 1 (a request number)"},
        {{"--drop", "x"}, "--drop takes a number from 1 (a request number)"},
        {{"--busy", "-1"}, "--busy takes a number"},
        {{"--hangup", "3a"}, "--hangup takes a number from 1 (a request number)"},
        {{"--password", "12"}, "--password takes 16 hexadecimal digits"},
        {{"--password", "zz00000000000000"}, "--password takes 16 hexadecimal digits"},
        {{"--talk", "loudly"}, "--talk takes text or flags"},
    };
    for (const auto& [args, reason] : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error)) << args[0];
        EXPECT_EQ(error, reason);
    }
}

}  // namespace
}  // namespace numora
