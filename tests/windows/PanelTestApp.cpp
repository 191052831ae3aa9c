// A QApplication for the suite's widget tests, made before the first test
// runs unless another part of the suite made one already.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class PanelApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "windows_tests";
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

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new PanelApplicationEnvironment);

}  // namespace
