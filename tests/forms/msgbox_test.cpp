#include "platform/forms/msgbox.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/forms/printers.h"

namespace {

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = forms::setMsgBoxPresenter([this](const forms::MsgBoxRequest& request) {
            requests.push_back(request);
            return answer;
        });
    }
    void TearDown() override {
        forms::setMsgBoxPresenter(m_previous);
        forms::setApplicationTitle({});
    }
    std::vector<forms::MsgBoxRequest> requests;
    int answer = forms::kOk;

private:
    forms::MsgBoxPresenter m_previous;
};

TEST_F(MsgBoxTest, PassesPromptButtonsAndAnswer) {
    EXPECT_EQ(forms::msgBox("Not yet available !"), forms::kOk);
    answer = forms::kNo;
    EXPECT_EQ(forms::msgBox("Sure?", forms::kYesNo | forms::kQuestion, "Ask"), forms::kNo);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].prompt, "Not yet available !");
    EXPECT_EQ(requests[0].buttons, forms::kOkOnly);
    EXPECT_EQ(requests[1].buttons, forms::kYesNo | forms::kQuestion);
    EXPECT_EQ(requests[1].title, "Ask");
}

TEST_F(MsgBoxTest, EmptyTitleShowsTheApplicationTitle) {
    QCoreApplication::setApplicationName("forms_test_app");
    forms::msgBox("a");
    forms::setApplicationTitle("Nimbo Lux");
    forms::msgBox("b");
    forms::msgBox("c", 0, "Own");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].title, "forms_test_app");
    EXPECT_EQ(requests[1].title, "Nimbo Lux");
    EXPECT_EQ(requests[2].title, "Own");
}

TEST_F(MsgBoxTest, ReplacingReturnsThePreviousPresenter) {
    const forms::MsgBoxPresenter ours =
        forms::setMsgBoxPresenter([](const forms::MsgBoxRequest&) { return 7; });
    EXPECT_EQ(forms::msgBox("x"), 7);
    forms::setMsgBoxPresenter(ours);
    EXPECT_EQ(forms::msgBox("y"), forms::kOk);
    EXPECT_EQ(requests.size(), 1u);
}

}  // namespace
