// A GoogleTest environment that makes the suite's QApplication before the
// first test runs (unless a test already made one) and deletes the one it made
// after the last. Each widget suite registers it once.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kelvane-tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            m_app = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};
