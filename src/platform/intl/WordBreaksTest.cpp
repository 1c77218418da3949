#include "platform/intl/WordBreaks.h"

#include <gtest/gtest.h>

#include <utility>

namespace zu {
namespace {

using Segment = std::pair<size_t, size_t>;

// A double-click's word: the word under the offset, Chinese split by ICU's dictionary; on a
// blank, the run of blanks, except just after a word, where the word is meant.
TEST(WordBreaksTest, TheSegmentUnderAnOffsetIsItsWordOrItsRunOfBlanks) {
  WordBreaks latin("ferry,  at six");
  EXPECT_EQ((Segment{0, 5}), latin.segmentAt(0));
  EXPECT_EQ((Segment{0, 5}), latin.segmentAt(3));
  EXPECT_EQ((Segment{0, 5}), latin.segmentAt(5));   // right after "ferry", before the comma
  EXPECT_EQ((Segment{6, 8}), latin.segmentAt(6));   // the two blanks
  EXPECT_EQ((Segment{8, 10}), latin.segmentAt(9));
  EXPECT_EQ((Segment{11, 14}), latin.segmentAt(14));  // the text's end: the last word

  WordBreaks chinese("今天天气很好");
  const Segment first = chinese.segmentAt(0);
  EXPECT_EQ(0u, first.first);
  EXPECT_LT(first.second, 6u);  // a word, not the whole run of ideographs
  EXPECT_GT(first.second, 0u);

  WordBreaks empty("");
  EXPECT_EQ((Segment{0, 0}), empty.segmentAt(3));
}

// Ctrl+Backspace and Ctrl+Delete: to the start of the word before (the end of the word after),
// taking the blanks and punctuation between along; from inside a word, to its own start or end.
TEST(WordBreaksTest, WordDeletionsSkipBlanksAndPunctuationToTheNextWord) {
  WordBreaks words("harbour, morning news");
  EXPECT_EQ(17u, words.wordStartBefore(21));
  EXPECT_EQ(9u, words.wordStartBefore(17));   // the blank skipped
  EXPECT_EQ(0u, words.wordStartBefore(9));    // ", " skipped
  EXPECT_EQ(0u, words.wordStartBefore(4));    // inside the first word
  EXPECT_EQ(0u, words.wordStartBefore(0));
  EXPECT_EQ(7u, words.wordEndAfter(0));
  EXPECT_EQ(16u, words.wordEndAfter(7));      // ", " skipped
  EXPECT_EQ(21u, words.wordEndAfter(19));
  EXPECT_EQ(21u, words.wordEndAfter(21));

  WordBreaks blanks("   ");
  EXPECT_EQ(0u, blanks.wordStartBefore(3));
  EXPECT_EQ(3u, blanks.wordEndAfter(0));

  // Outside the BMP: offsets in UTF-16 units, a surrogate pair never split.
  WordBreaks astral("\U0001D400\U0001D401 x");
  EXPECT_EQ(0u, astral.wordStartBefore(4));
  EXPECT_EQ(4u, astral.wordEndAfter(0));
}

}  // namespace
}  // namespace zu
