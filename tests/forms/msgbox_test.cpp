// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/msgbox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include "tests/forms/printers.h"
#include "tests/support/casename.h"

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

struct Shown {
    const char* name;
    const char* prompt;
    const char* title;
};

class MsgBoxShown : public testing::TestWithParam<Shown> {};

// The box the user sees is wide enough for its title in a title bar, and
// still as wide as its prompt needs.
TEST_P(MsgBoxShown, IsAsWideAsItsTitleAndItsPrompt) {
    int width = 0, promptWidth = 0;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        width = box->width();
        title = box->windowTitle();
        promptWidth = box->fontMetrics().horizontalAdvance(box->text());
        box->buttons().constFirst()->click();
    });
    EXPECT_EQ(forms::msgBox(GetParam().prompt, forms::kOkOnly, GetParam().title), forms::kOk);
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_EQ(title, GetParam().title);
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(title) + 160);
    EXPECT_GE(width, promptWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MsgBoxShown,
    testing::Values(Shown{"shortPrompt", "Not yet available !", "vexo-host"},
                    Shown{"longTitle", "Not yet available !", "A title longer than the prompt of the box"},
                    Shown{"longPrompt", "A prompt much longer than the title, which the box shows whole",
                          "x"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
