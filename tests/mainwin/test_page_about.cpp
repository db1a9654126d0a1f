// The about page of the main window.
#include "tests/mainwin/mainwin_fixture.h"

#include <doctest.h>

using namespace mainwin_test;

#include "core/error_report.h"
#include "tests/support/shell_calls.h"

namespace {
// A real click at the centre of a control of this process's main window.
void ClickCentre(const tsln::Control& control) {
    RECT place = {};
    GetWindowRect(control.hwnd(), &place);
    LeftClickAt(POINT{(place.left + place.right) / 2, (place.top + place.bottom) / 2});
}
} // namespace

TEST_CASE("the about page's links: the forum, the bug report with its box and e-mail, the download page") {
    InProcessMain app;
    testing::ShellCalls calls;
    REQUIRE(app.Run("tab", "5"));
    tsln::AboutPage& page = app.window->AboutTab();
    CHECK(page.lblAbout(1).Text() == " Quillfen Forum ");
    CHECK(page.lblAbout(2).Text() == " Bug report/suggestions ");
    CHECK(page.lblDescription().Text().rfind("Tessaline v", 0) == 0);

    ClickCentre(page.lblAbout(1));
    CHECK(calls.Next().find(std::string(tsln::kVendorSite) + "/support/forum/index.htm") !=
          std::string::npos);

    ClickCentre(page.lblAbout(2));
    const std::string mail = calls.Next();
    INFO(mail);
    CHECK(mail.find(std::string("mailto:") + tsln::kSupportAddress) != std::string::npos);
    CHECK(mail.find("subject=Bug%20report/suggestions%20for%20%20Tessaline%20v1.") != std::string::npos);
    CHECK(mail.find("%0D%0A") != std::string::npos);
    const std::vector<testing::BoxInfo> boxes = app.boxes.Seen();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].title == "Tessaline");
    CHECK(boxes[0].icon == "information");
    CHECK(boxes[0].text ==
          "If you have a bug to report please attach the following file to your message: \r\n" +
              tsln::LogFilePath());

    ClickCentre(page.imgPreview());
    CHECK(calls.Next().find(std::string(tsln::kVendorSite) + "/download/tessaline/index.htm") !=
          std::string::npos);
    CHECK(app.Run("ok"));
}
