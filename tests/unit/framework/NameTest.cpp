#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/KavrinName.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SplitName.h"

namespace {

// Equal texts are one copy; a text is copied in, so the caller's buffer may change afterwards.
TEST(InternedNames, EqualTextsShareOneCopy) {
  char buffer[] = "interned-sample";
  const char* a = KavrinInternName(buffer);
  const size_t before = KavrinInternedNames();
  const char* b = KavrinInternName(std::string("interned-sample").c_str());
  EXPECT_EQ(a, b);
  EXPECT_EQ(KavrinInternedNames(), before);
  EXPECT_NE(a, buffer);
  buffer[0] = 'X';
  EXPECT_STREQ(a, "interned-sample");

  // A text given by length is the same as the whole text of that length, and not its longer
  // neighbours.
  EXPECT_EQ(KavrinInternName("interned-sample-and-more", 15), a);
  EXPECT_NE(KavrinInternName("interned-sampl"), a);
  EXPECT_NE(KavrinInternName("interned-sample!"), a);
  EXPECT_EQ(KavrinInternName(nullptr), nullptr);
  EXPECT_STREQ(KavrinInternName(""), "");
}

// Thousands of texts make the table grow several times; every text keeps its one copy, and a
// text longer than the store's blocks share is kept whole.
TEST(InternedNames, TextsSurviveTheStoreGrowing) {
  std::vector<const char*> first;
  for (int i = 0; i < 5000; i++) first.push_back(KavrinInternName(("grow." + std::to_string(i)).c_str()));
  for (int i = 0; i < 5000; i++) {
    const std::string text = "grow." + std::to_string(i);
    ASSERT_STREQ(first[i], text.c_str());
    ASSERT_EQ(KavrinInternName(text.c_str()), first[i]);
  }
  const std::string longText(20000, 'q');
  const char* l = KavrinInternName(longText.c_str());
  EXPECT_EQ(std::strlen(l), longText.size());
  EXPECT_EQ(KavrinInternName(longText.c_str()), l);
}

// Numbers name texts: equal texts one number, a number its text, through the store's growth (the
// texts by number sit in chunks of 65,536, so 70,000 texts cross a chunk).
TEST(InternedNames, NumbersGiveBackTheirTexts) {
  const uint32_t first = KavrinInternNumber("numbered-sample", 15);
  EXPECT_EQ(KavrinInternNumber("numbered-sample-and-more", 15), first);
  EXPECT_EQ(KavrinInternedText(first), KavrinInternName("numbered-sample"));
  std::vector<uint32_t> numbers;
  for (int i = 0; i < 70000; i++) {
    const std::string text = "numbered." + std::to_string(i);
    numbers.push_back(KavrinInternNumber(text.c_str(), text.size()));
  }
  for (int i = 0; i < 70000; i += 997) {
    const std::string text = "numbered." + std::to_string(i);
    ASSERT_STREQ(KavrinInternedText(numbers[i]), text.c_str());
    ASSERT_EQ(KavrinInternNumber(text.c_str(), text.size()), numbers[i]);
  }
  EXPECT_STREQ(KavrinInternedText(first), "numbered-sample");
}

// A name is cut at its last dot; reading it gives the whole text back, whatever the dots.
TEST(SplitNames, ReadAsTheWholeText) {
  for (const char* text : {"Cell[3].Forward0", "a.b.c", "plain", "", ".lead", "trail.", "..", "x.y z"}) {
    SplitName n(text);
    EXPECT_EQ(n.split(), std::strchr(text, '.') != nullptr) << text;
    EXPECT_STREQ(n.get(), text);
    EXPECT_FALSE(n.split()) << text;  // made whole by the reading
    EXPECT_EQ(n.get(), KavrinInternName(text));
  }
  SplitName none(nullptr);
  EXPECT_STREQ(none, "");
  EXPECT_TRUE(none != nullptr);
  SplitName renamed("first.name");
  renamed.set("second");
  EXPECT_STREQ(renamed, "second");
  renamed.set("third.one");
  EXPECT_STREQ(renamed, "third.one");
}

// The copies of a replicated cell name their actions "<copy>.<action>": naming ten actions in
// each of twenty copies adds at most the ten action names and the twenty paths to the store, not
// two hundred names, until someone reads a name.
TEST(SplitNames, CopiesOfACellShareTheirActionNamesAndPaths) {
  std::vector<BaseActionClass> actions(200);
  const size_t before = KavrinInternedNames();
  for (int copy = 0; copy < 20; copy++)
    for (int a = 0; a < 10; a++)
      actions[copy * 10 + a].defineName(
          ("SplitCell[" + std::to_string(copy) + "].Act" + std::to_string(a)).c_str());
  EXPECT_LE(KavrinInternedNames() - before, 30u);
  EXPECT_STREQ(actions[137].getName(), "SplitCell[13].Act7");
  EXPECT_STREQ(actions[0].ActionName, "SplitCell[0].Act0");
  actions[5].defineName("Unscoped");
  EXPECT_STREQ(actions[5].getName(), "Unscoped");
}

// Places keep interned names and prefixes: the places of one copy share the prefix, equal names
// are one text, and renaming changes the qualified name without touching the other places.
TEST(PlaceNames, EqualNamesAndPrefixesAreOneText) {
  Place p("Tokens", 1), q("Tokens", 2), r("Other", 0);
  EXPECT_EQ(p.getName(), q.getName());
  p.SetPrefix("Ring[4]");
  r.SetPrefix(std::string("Ring[4]").c_str());
  EXPECT_EQ(p.getPrefix(), r.getPrefix());
  EXPECT_STREQ(p.getFullyQualifiedName(), "Ring[4].Tokens");
  EXPECT_STREQ(q.getFullyQualifiedName(), "Tokens");
  p.SetName("Renamed");
  EXPECT_STREQ(p.getFullyQualifiedName(), "Ring[4].Renamed");
  EXPECT_STREQ(q.getName(), "Tokens");
  p.SetPrefix(nullptr);
  EXPECT_STREQ(p.getPrefix(), "");
  EXPECT_STREQ(p.getFullyQualifiedName(), "Renamed");
}

}  // namespace
