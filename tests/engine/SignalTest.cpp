#include "engine/Signal.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct Recorder
{
    std::string* log;
    char name;
    void OnEvent(int a, double b)
    {
        log->push_back(name);
        log->append(std::to_string(a + static_cast<int>(b)));
    }
    void OnPlain() { log->push_back(name); }
};
} // namespace

TEST(SignalTest, EmitCallsListenersInConnectionOrderWithArguments)
{
    std::string log;
    Recorder first{&log, 'a'}, second{&log, 'b'};
    Signal<int, double> signal;
    signal.Emit(1, 2.0); // no listener: nothing happens
    EXPECT_EQ(log, "");

    signal.Connect<&Recorder::OnEvent>(&second);
    signal.Connect<&Recorder::OnEvent>(&first);
    signal.Emit(1, 2.0);
    EXPECT_EQ(log, "b3a3");
    EXPECT_EQ(signal.ListenerCount(), 2u);
}

TEST(SignalTest, DisconnectRemovesOnlyThatListener)
{
    std::string log;
    Recorder first{&log, 'a'}, second{&log, 'b'};
    Signal<> signal;
    signal.Connect<&Recorder::OnPlain>(&first);
    signal.Connect<&Recorder::OnPlain>(&second);
    signal.Connect<&Recorder::OnPlain>(&first);
    signal.Emit();
    EXPECT_EQ(log, "aba");
    signal.Disconnect(&first);
    log.clear();
    signal.Emit();
    EXPECT_EQ(log, "b");
}
