// The type reference against the type tables it describes, and the nearest-word
// search behind "did you mean".
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "script/BoxTypes.h"
#include "functions/FunctionFactory.h"
#include "core/NearestWord.h"
#include "script/TypeReference.h"

using namespace velmora;

TEST(TypeReference, DescribesEveryTypeTheScriptAcceptsAndNoOther) {
    std::set<std::string> declared, described;
    for (const BoxType& type : boxTypes()) declared.insert(std::string("box ") + type.word);
    for (const FunctionType& type : functionTypes()) declared.insert(std::string("function ") + type.word);
    for (const TypeReference& type : typeReferences()) {
        const std::string key = (type.kind == TypeKind::Box ? "box " : "function ") + std::string(type.word);
        EXPECT_TRUE(described.insert(key).second) << "described twice: " << key;
        EXPECT_EQ(findTypeReference(type.word), &type);
    }
    EXPECT_EQ(described, declared);
    EXPECT_EQ(findTypeReference("ZYL_Surface"), nullptr);
}

TEST(TypeReference, BoxEntriesListTheSlotsAndSizesTheBoxesRead) {
    for (const BoxType& box : boxTypes()) {
        const TypeReference* type = findTypeReference(box.word);
        ASSERT_NE(type, nullptr) << box.word;
        EXPECT_EQ(type->functions.size(), static_cast<size_t>(box.functionsRead)) << box.word;
        EXPECT_GE(type->inputs.size(), static_cast<size_t>(box.inputsRead)) << box.word;
        const bool wholeFrame = box.output.kind == SurfaceNeed::Exact && box.output.width == 512 &&
                                box.output.height == 256;
        EXPECT_EQ(std::string(type->output).find("512x256") != std::string::npos, wholeFrame) << box.word;
        for (const SlotReference& slot : type->functions) EXPECT_TRUE(*slot.role && *slot.range) << box.word;
        for (const SlotReference& slot : type->inputs) EXPECT_TRUE(*slot.role && *slot.range) << box.word;
    }
}

TEST(TypeReference, ExamplesDeclareTheTypeAndWireTheDeclaredName) {
    for (const TypeReference& type : typeReferences()) {
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
