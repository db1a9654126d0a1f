// The program's message box: its buttons and what it answers.
#include "ui/msgbox.h"
#include "tests/support/test_support.h"

#include <doctest.h>

using namespace tsln;

TEST_CASE("the message box answers 1 for OK and 0 otherwise") {
    {
        testing::BoxWatcher boxes(IDOK);
        CHECK(ShowMsgBox("File not found: C:\\Walls\\sea.jpg", 8, kMsgBoxOk) == 1);
        REQUIRE(boxes.Seen().size() == 1);
        CHECK(boxes.Seen()[0].title == "Tessaline");
        CHECK(boxes.Seen()[0].text == "File not found: C:\\Walls\\sea.jpg");
        CHECK(boxes.Seen()[0].buttons == "OK");
        CHECK(ShowMsgBox("You want to close\r\nTessaline?", 12, kMsgBoxOkCancel) == 1);
        CHECK(boxes.Seen()[1].buttons == "OK Cancel");
    }
    testing::BoxWatcher boxes(IDCANCEL);
    CHECK(ShowMsgBox("You want to close\r\nTessaline?", 12, kMsgBoxOkCancel) == 0);
}
