#pragma once
// Waits for a condition while the event loop turns, for the Qt tests. Unlike
// QTRY_VERIFY and QTRY_COMPARE, which on a failure wait twice as long again
// to say how long would have been enough, these fail at their own time-out,
// well inside the test's time-out: a test killed by ctest says nothing.

#include <QTest>

#define SENTREL_TRY_VERIFY(expr, timeoutMs)                                                                            \
    QVERIFY2(QTest::qWaitFor([&]() { return static_cast<bool>(expr); }, timeoutMs),                                    \
             "not true within " #timeoutMs " ms: " #expr)

#define SENTREL_TRY_COMPARE(actual, expected, timeoutMs)                                                               \
    do {                                                                                                               \
        static_cast<void>(QTest::qWaitFor([&]() { return (actual) == (expected); }, timeoutMs));                       \
        QCOMPARE(actual, expected);                                                                                    \
    } while (false)
