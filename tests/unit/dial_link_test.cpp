// Numbers handed in by "tel:" and "callto:" links or --dial: the number the
// handset shows and dials, or why none.

#include <gtest/gtest.h>

#include <string>

#include "phonebook/DialLink.h"

namespace {

TEST(DialLink, LinksGiveTheDialledNumberOrTheReasonForNone) {
    struct Case {
        std::string link;
        std::string digits;
        DialLinkProblem problem;
        std::string refused;
    };
    const Case cases[] = {
        {"tel:+81-90-1234-5678", "09012345678", DialLinkProblem::None, ""},
        {"TEL:+81.3.1234.5678", "0312345678", DialLinkProblem::None, ""},
        {"tel:(03)1234-5678", "0312345678", DialLinkProblem::None, ""},
        {"tel:+81%2090%201234%205678", "09012345678", DialLinkProblem::None, ""},
        {"tel:+1-212-555-0100",
         "0101212555"
         "0100",
         DialLinkProblem::None, ""},
        {"tel:1234;phone-context=example.com", "1234", DialLinkProblem::None, ""},
        {"tel:*31#0312345678;ext=5", "*31#0312345678", DialLinkProblem::None, ""},
        {"tel:%2A31%23117", "*31#117", DialLinkProblem::None, ""},
        {"callto://+81-90-1234-5678", "09012345678", DialLinkProblem::None, ""},
        {"callto:0312345678?call", "0312345678", DialLinkProblem::None, ""},
        {"090 1234 5678", "09012345678", DialLinkProblem::None, ""},
        {"tel:", "", DialLinkProblem::NoNumber, ""},
        {"tel:;ext=1", "", DialLinkProblem::NoNumber, ""},
        {"callto:---", "", DialLinkProblem::NoNumber, ""},
        {"tel:abc", "", DialLinkProblem::NotANumber, "a"},
        {"tel:03+1234", "", DialLinkProblem::NotANumber, "+"},
        {"tel:03%0A1234", "", DialLinkProblem::NotANumber, "\\x0A"},
        {"tel:03%zz", "", DialLinkProblem::NotANumber, "%"},
        {"tel:03%2", "", DialLinkProblem::NotANumber, "%"},
        {"sip:0312345678", "", DialLinkProblem::NotANumber, "s"},
        {"tel:" + std::string(32, '1'), std::string(32, '1'), DialLinkProblem::None, ""},
        {"tel:" + std::string(33, '1'), "", DialLinkProblem::TooLong, ""},
        {"tel:" + std::string(200, '9'), "", DialLinkProblem::TooLong, ""},
        {"tel:1" + std::string(5000, '-'), "", DialLinkProblem::TooLong, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link.substr(0, 60));
        const DialLink link = ParseDialLink(c.link);
        EXPECT_EQ(link.digits, c.digits);
        EXPECT_EQ(link.problem, c.problem);
        EXPECT_EQ(link.refused, c.refused);
    }
}

}  // namespace
