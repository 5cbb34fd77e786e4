// The type table's rows against each other, and the nearest-word search behind
// "did you mean".
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/NearestWord.h"
#include "script/TypeTable.h"

using namespace velmora;

TEST(TypeTable, EveryWordOnceWithTheMakerOfItsKind) {
    std::set<std::string> words;
    for (const ScriptType& type : scriptTypes()) {
        EXPECT_TRUE(words.insert(type.word).second) << "listed twice: " << type.word;
        EXPECT_EQ(findScriptType(type.word), &type);
        const bool box = type.kind == TypeKind::Box;
        EXPECT_EQ(std::string_view(type.word).rfind(box ? "ZYL_Box" : "ZYL_Fnct", 0), 0u) << type.word;
        EXPECT_EQ(type.makeBox != nullptr, box) << type.word;
        EXPECT_EQ(type.makeFunction != nullptr, !box) << type.word;
        EXPECT_EQ(findBoxType(type.word), box ? &type : nullptr);
        EXPECT_EQ(findFunctionType(type.word), box ? nullptr : &type);
    }
    EXPECT_EQ(boxTypes().size() + functionTypes().size(), scriptTypes().size());
    EXPECT_EQ(findScriptType("ZYL_Surface"), nullptr);
}

TEST(TypeTable, BoxEntriesDescribeTheSlotsAndSizesTheBoxesRead) {
    for (const ScriptType& box : boxTypes()) {
        EXPECT_EQ(box.kind, TypeKind::Box) << box.word;
        const bool wholeFrame = box.output.kind == SurfaceNeed::Exact && box.output.width == 512 &&
                                box.output.height == 256;
        EXPECT_EQ(std::string(box.outputText).find("512x256") != std::string::npos, wholeFrame) << box.word;
        for (const SlotReference& slot : box.functions) EXPECT_TRUE(*slot.role && *slot.range) << box.word;
        for (const SlotReference& slot : box.inputs) EXPECT_TRUE(*slot.role && *slot.range) << box.word;
    }
}

TEST(TypeTable, ExamplesDeclareTheTypeAndWireTheDeclaredName) {
    for (const ScriptType& type : scriptTypes()) {
        const std::string declaration = type.exampleDeclaration;
        ASSERT_EQ(declaration.rfind(std::string(type.word) + " ", 0), 0u) << declaration;
        const size_t nameStart = std::string_view(type.word).size() + 1;
        const std::string name = declaration.substr(nameStart, declaration.find(' ', nameStart) - nameStart);
        const std::string wiring = std::string(" ") + type.exampleWiring + " ";
        // A box's line begins with its name; a function's line names it among its words.
        if (type.kind == TypeKind::Box) EXPECT_EQ(wiring.rfind(" " + name + " ", 0), 0u) << wiring;
        else EXPECT_NE(wiring.find(" " + name + " "), std::string::npos) << wiring;
        EXPECT_TRUE(*type.summary && (type.kind == TypeKind::Box || type.reads)) << type.word;
    }
}

TEST(NearestWord, EditDistance) {
    struct Case {
        const char* a;
        const char* b;
        int distance;
    };
    for (const Case& c : {Case{"kitten", "sitting", 3}, Case{"", "abc", 3}, Case{"abc", "", 3},
                          Case{"ZYL_BoxXBlr", "ZYL_BoxXBlur", 1}, Case{"same", "same", 0}, Case{"Fader", "fader", 1}})
        EXPECT_EQ(editDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
}

TEST(NearestWord, PicksTheClosestWithinTheLimitIgnoringCase) {
    const std::vector<std::string_view> words = {"ZYL_BoxXBlur", "ZYL_BoxYBlur", "ZYL_BoxFader"};
    EXPECT_EQ(nearestWord("ZYL_BoxXBlr", words, 3), "ZYL_BoxXBlur");
    EXPECT_EQ(nearestWord("ZYL_BoxYBlurr", words, 3), "ZYL_BoxYBlur");
    EXPECT_EQ(nearestWord("zyl_boxfader", words, 1), "ZYL_BoxFader");
    EXPECT_EQ(nearestWord("ZYL_BoxSprite", words, 3), "");
    EXPECT_EQ(nearestWord("anything", {}, 10), "");
}
