// Type codes derived over shared parents, long chains and cycles.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

#include "validate/CheckTestSupport.h"

namespace {

// A DDL block with one item, "_<category>.i", per category.
struct Ddl {
    std::string categories, items, types, links;

    void Add(const std::string& category, const std::string& code = "") {
        categories += " " + category;
        items += " _" + category + ".i " + category;
        types += code.empty() ? "" : " _" + category + ".i " + code;
    }
    void Link(const std::string& child, const std::string& parent) {
        links += " _" + child + ".i _" + parent + ".i";
    }
    std::vector<TableText> Tables() const {
        return {{"category", "id", categories},
                {"item", "name category_id", items},
                {"item_type", "name code", types},
                {"item_linked", "child_name parent_name", links}};
    }
};

// The report, "+ " and each appended item_type row, and what was thrown.
std::string Derive(Block& block) {
    ISTable& itemType = *block.GetTablePtr("item_type");
    const unsigned int typed = itemType.GetNumRows();
    CifFileChecks checks;
    std::string thrown;
    testing::internal::CaptureStdout();
    try {
        checks.ItemTypes(block, false);
    } catch (const std::runtime_error& e) {
        thrown = e.what();
    }
    testing::internal::GetCapturedStdout();
    for (unsigned int row = typed; row < itemType.GetNumRows(); ++row)
        checks.out << "+ " << Join(itemType.GetRow(row)) << "\n";
    return checks.out.str() + thrown;
}

}  // namespace

// p_k and q_k each have both p_{k+1} and q_{k+1} as parents; only level 3 is typed.
TEST(ItemTypeDerivation, SharedParentsAreDerivedAndReportedOnce) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"int", "int",
         "+ _p2.i int\n+ _q2.i int\n+ _p1.i int\n+ _q1.i int\n+ _p0.i int\n+ _q0.i int\n"},
        {"int", "code",
         "ERROR - Item \"_p2.i\" has parents with different types:\n"
         "  Parent item \"_p3.i\" has item type code \"int\"\n"
         "  Parent item \"_q3.i\" has item type code \"code\"\n"
         "ERROR - In block \"d\", item \"_p2.i\" does not have item type code defined and its "
         "item type code  cannot be deducted from its parents.\n"
         "ERROR - Item \"_q2.i\" has parents with different types:\n"
         "  Parent item \"_p3.i\" has item type code \"int\"\n"
         "  Parent item \"_q3.i\" has item type code \"code\"\n"
         "ERROR - In block \"d\", item \"_q2.i\" does not have item type code defined and its "
         "item type code  cannot be deducted from its parents.\n"},
    };
    for (const auto& c : cases) {
        Ddl ddl;
        for (int k = 0; k < 3; ++k) {
            ddl.Add("p" + std::to_string(k));
            ddl.Add("q" + std::to_string(k));
            for (const char* child : {"p", "q"})
                for (const char* parent : {"p", "q"})
                    ddl.Link(child + std::to_string(k), parent + std::to_string(k + 1));
        }
        ddl.Add("p3", std::get<0>(c));
        ddl.Add("q3", std::get<1>(c));
        Dictionary dict(ddl.Tables());
        EXPECT_EQ(std::get<2>(c), Derive(dict.block)) << std::get<1>(c);
    }
}

TEST(ItemTypeDerivation, LongChainTakesItsEndsCode) {
    // Deep enough to overflow the stack of a recursive walk, with or without the sanitizers.
    const int links = 20000;
    Ddl ddl;
    for (int k = 0; k < links; ++k) {
        ddl.Add("c" + std::to_string(k));
        ddl.Link("c" + std::to_string(k), "c" + std::to_string(k + 1));
    }
    ddl.Add("c" + std::to_string(links), "int");
    Dictionary dict(ddl.Tables());
    // Deepest first, each item once.
    std::string expected;
    for (int k = links - 1; k >= 0; --k) expected += "+ _c" + std::to_string(k) + ".i int\n";
    EXPECT_TRUE(expected == Derive(dict.block));
}

// The cycle is listed from the item met again; what led into it is not.
TEST(ItemTypeDerivation, CyclesAndSelfParentsThrow) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"x a b c", "x>a a>b b>c c>a",
         "ERROR - Parent and child keys form a cycle \"_a.i\" -> \"_b.i\" -> \"_c.i\" -> "
         "\"_a.i\""},
        {"s t:int", "s>t s>s", "ERROR - Parent and child key have the same value \"_s.i\""},
    };
    for (const auto& c : cases) {
        Ddl ddl;
        for (const std::string& item : Split(std::get<0>(c))) {
            const size_t colon = item.find(':');
            ddl.Add(item.substr(0, colon),
                    colon == std::string::npos ? "" : item.substr(colon + 1));
        }
        for (const std::string& link : Split(std::get<1>(c)))
            ddl.Link(link.substr(0, link.find('>')), link.substr(link.find('>') + 1));
        Dictionary dict(ddl.Tables());
        EXPECT_EQ(std::get<2>(c), Derive(dict.block)) << std::get<1>(c);
    }
}
