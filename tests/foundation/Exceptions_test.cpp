#include "foundation/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ExceptionText.h"

namespace {

template <typename E>
void ExpectFramedAndCaughtAsRoot() {
    try {
        throw E("m \"q\"", "C::M");
    } catch (const MirtException& e) {
        EXPECT_NE(dynamic_cast<const E*>(&e), nullptr);
        EXPECT_EQ(std::string(e.what()), Line("m \"q\"", "C::M"));
    }
}

}  // namespace

TEST(MirtException, EverySubclassFramesItsLineAndIsCaughtAsTheRoot) {
    ExpectFramedAndCaughtAsRoot<EmptyValueException>();
    ExpectFramedAndCaughtAsRoot<NotFoundException>();
    ExpectFramedAndCaughtAsRoot<AlreadyExistsException>();
    ExpectFramedAndCaughtAsRoot<EmptyContainerException>();
    ExpectFramedAndCaughtAsRoot<FileModeException>();
    ExpectFramedAndCaughtAsRoot<InvalidStateException>();
    ExpectFramedAndCaughtAsRoot<FileException>();
    ExpectFramedAndCaughtAsRoot<VersionMismatchException>();
    EXPECT_EQ(std::string(EmptyValueException("", "").what()), "Message: \"\" generated at: \n");
}

TEST(MirtException, ReannotationReachesTheOuterHandlerAndCopiesAreIndependent) {
    const auto lookup = [] {
        try {
            throw NotFoundException("Column \"x\" not found", "ISTable::GetColumnIndex");
        } catch (NotFoundException& e) {
            e.BuildText("Column not found", "ISTable::operator()");
            throw;
        }
    };
    try {
        lookup();
        FAIL() << "no exception";
    } catch (const NotFoundException& e) {
        const std::string trace = Line("Column \"x\" not found", "ISTable::GetColumnIndex") +
                                  Line("Column not found", "ISTable::operator()");
        EXPECT_EQ(std::string(e.what()), trace);
        NotFoundException copy(e);
        copy.BuildText("b", "X::Z");
        EXPECT_EQ(std::string(e.what()), trace);
        EXPECT_EQ(std::string(copy.what()), trace + Line("b", "X::Z"));
    }
}

TEST(InvalidOptionsException, CarriesItsTextUnframed) {
    InvalidOptionsException e("usage: tool [options]");
    EXPECT_EQ(std::string(e.what()), "usage: tool [options]");
    e.BuildText("m", "L::L");
    EXPECT_EQ(std::string(e.what()), "usage: tool [options]" + Line("m", "L::L"));
}
