// The main of every test that needs widgets. The application object is made when the tests run,
// not when CTest lists them, so listing needs no display.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class WidgetApplication : public ::testing::Environment {
public:
    WidgetApplication(int& argc, char** argv) : argc_(argc), argv_(argv) {}
    void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { application_.reset(); }

private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new WidgetApplication(argc, argv));
    return RUN_ALL_TESTS();
}
