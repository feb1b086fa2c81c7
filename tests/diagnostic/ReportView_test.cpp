// The view the window's report passes through: the text box and Copy To Clipboard both show the
// view of the report while one is installed, and the report itself otherwise.
#include "diagnostic/ReportView.h"
#include "diagnostic/frmMain.h"
#include "diagnostic/modMain.h"
#include "support/TestEnvironment.h"

namespace vellumo {
namespace {

class ReportViewTest : public test::IsolatedTest {
protected:
    void TearDown() override {
        SetReportView({});
        IsolatedTest::TearDown();
    }
};

TEST_F(ReportViewTest, TextBoxAndClipboardShowTheInstalledView) {
    SetReportView([](const std::string& report) { return "[" + report + "]"; });
    frmMain form;
    form.Form_Load();
    const std::string report = modMain::gstrDiagnosticReport;
    ASSERT_NE(report, "");
    EXPECT_EQ(form.ReportText(), "[" + report + "]");
    form.cmdCopy_Click();
    EXPECT_EQ(ui_.clipboard, "[" + report + "]");

    SetReportView({});
    form.cmdCopy_Click();
    EXPECT_EQ(ui_.clipboard, report);
}

} // namespace
} // namespace vellumo
