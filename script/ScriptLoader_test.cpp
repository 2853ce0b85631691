// The script loader: the worked example, line ends, blocks and fields, HEAD
// directives, T blocks, I/O errors and oversized input.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "script/ScriptTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

const Lines WorkedExample = {
    "notes before the first block are ignored",
    "{HEAD",
    "#this line is a comment",
    "TITLE=An example",
    "FPS=29.97",
    "FILE=D:\\video\\backup.avi",
    "FILE=C:\\video\\main.avi",
    "CODEPAGE=852",
    "KEEPAHEAD=12",
    "}",
    "{S;anything",
    "skipped",
    "}",
    "{T;250",
    "Anna:\tGood evening.",
    "}",
    "{t; 400",
    "}",
    "{T;1x",
    "A third subtitle",
    "this second text line is ignored",
    "}",
};

void ExpectSlot(const TCaptel &s, int slot, uint32_t frame, const std::string &text,
                uint16_t next) {
  EXPECT_EQ(s.Texts[slot].Frame, frame) << "slot " << slot;
  EXPECT_EQ(s.Texts[slot].Text, text) << "slot " << slot;
  EXPECT_EQ(s.Texts[slot].Next, next) << "slot " << slot;
}

TEST(ScriptLoader, WorkedExampleLoadsToItsTable) {
  TScriptFixture f;
  TCaptel &s = f.Load(WorkedExample);
  EXPECT_EQ(s.ScriptFileName, "test.scr");
  EXPECT_EQ(s.Title, "An example");
  EXPECT_DOUBLE_EQ(s.FrameRate, 29.97);
  EXPECT_EQ(s.KeepAhead, 12);
  EXPECT_EQ(s.CodePage, 852);
  EXPECT_EQ(s.ScriptCodePageKind, 1);
  ASSERT_NE(s.VideoFiles, nullptr);
  EXPECT_EQ(s.VideoFiles->FileName, "C:\\video\\main.avi");
  ASSERT_NE(s.VideoFiles->Next, nullptr);
  EXPECT_EQ(s.VideoFiles->Next->FileName, "D:\\video\\backup.avi");
  EXPECT_EQ(s.VideoFiles->Next->Next, nullptr);

  EXPECT_EQ(s.Count, 4);
  EXPECT_DOUBLE_EQ(s.LastFrame, 400.0);
  ExpectSlot(s, 0, 1, "", 1);
  ExpectSlot(s, 1, 250, "Anna:\tGood evening.", 2);
  ExpectSlot(s, 2, 400, "", 3);
  ExpectSlot(s, 3, 400, "A third subtitle", 4);
  ExpectSlot(s, 4, 1000000, "", 0);
  EXPECT_EQ(f.Log, Lines{"Bad frame number: 1x"});
  // Loading ends with the cursor at 0, on the first entry.
  EXPECT_EQ(s.CursorFrame, 0u);
  EXPECT_EQ(s.NextIndex, 1);
}

TEST(ScriptLoader, EmptyOrBlocklessFileGivesAnEmptyTable) {
  for (const std::string bytes : {"", "just words\r\nand more\r\n", "{HEAD\r\nTITLE=x\r\n}"}) {
    TScriptFixture f;
    TCaptel &s = f.LoadBytes(bytes);
    EXPECT_EQ(s.Count, 1);
    EXPECT_EQ(s.Texts[0].Next, 1);
    EXPECT_EQ(s.Texts[1].Frame, 1000000u);
    EXPECT_DOUBLE_EQ(s.LastFrame, 1.0);
    EXPECT_DOUBLE_EQ(s.FrameRate, 25.0);
    EXPECT_EQ(s.CodePage, 1250);
    EXPECT_EQ(s.ScriptCodePageKind, 0);
    EXPECT_EQ(s.NextIndex, 1);
    EXPECT_TRUE(f.Drain().empty());
  }
  TScriptFixture f;
  EXPECT_EQ(f.LoadBytes("").Title, "Untitled video");
}

TEST(ScriptLoader, LineEnds) {
  // CR alone ends a line like CR LF; the last line needs no line end.
  TScriptFixture cr;
  TCaptel &a = cr.LoadBytes("{T;5\rcr only\r}\r{T;6\r\nmixed\r\n}");
  ASSERT_EQ(a.Count, 3);
  EXPECT_EQ(a.Texts[1].Text, "cr only");
  EXPECT_EQ(a.Texts[2].Text, "mixed");

  // LF alone is an ordinary byte: the whole file is one line, no block.
  TScriptFixture lf;
  EXPECT_EQ(lf.LoadBytes("{T;5\nunix\n}\n{T;6\nmore\n}\n").Count, 1);

  // A lone LF inside a text line stays in the text.
  TScriptFixture inside;
  EXPECT_EQ(inside.LoadBytes("{T;5\r\none\ntwo\r\n}\r\n").Texts[1].Text, "one\ntwo");
}

TEST(ScriptLoader, CtrlZEndsTheFile) {
  TScriptFixture f;
  TCaptel &s = f.LoadBytes("{T;5\r\nfirst\r\n}\r\n\x1A{T;6\r\nafter\r\n}\r\n");
  EXPECT_EQ(s.Count, 2);
  EXPECT_EQ(s.Texts[1].Text, "first");

  // Inside a text line it ends the line and the file.
  TScriptFixture g;
  TCaptel &t = g.LoadBytes("{T;5\r\nfir\x1Ast\r\n}\r\n{T;6\r\nx\r\n}\r\n");
  EXPECT_EQ(t.Count, 2);
  EXPECT_EQ(t.Texts[1].Text, "fir");
}

TEST(ScriptLoader, OpeningLineThatIsTheLastLineIsIgnored) {
  TScriptFixture f;
  EXPECT_EQ(f.LoadBytes("{T;5\r\n").Count, 1);
  TScriptFixture g;
  EXPECT_EQ(g.LoadBytes("{T;5").Count, 1);
  // One more line makes it a block whose text is that line.
  TScriptFixture h;
  TCaptel &s = h.LoadBytes("{T;5\r\nlast");
  ASSERT_EQ(s.Count, 2);
  EXPECT_EQ(s.Texts[1].Text, "last");
}

TEST(ScriptLoader, OpeningLineFields) {
  TScriptFixture f;
  TCaptel &s = f.Load({"  { t ;  70 ; extra ; more", "lower case", "}", "{T", "no field", "}",
                       "{T;", "empty field", "}", "{T;80}", "brace", "}", "{T;;90", "x", "}"});
  ASSERT_EQ(s.Count, 6);
  EXPECT_EQ(s.Texts[1].Frame, 70u);
  EXPECT_EQ(s.Texts[2].Frame, 70u);
  EXPECT_EQ(s.Texts[3].Frame, 70u);
  EXPECT_EQ(s.Texts[4].Frame, 70u);
  EXPECT_EQ(s.Texts[5].Frame, 70u);
  EXPECT_EQ(f.Log, (Lines{"Bad frame number: ", "Bad frame number: ;", "Bad frame number: 80}",
                          "Bad frame number: "}));
}

TEST(ScriptLoader, BadFrameOfTheFirstEntryTakesTheHeadEntrysFrame) {
  TScriptFixture f;
  TCaptel &s = f.Load({"{T;abc", "x", "}"});
  EXPECT_EQ(s.Texts[1].Frame, 1u);
  EXPECT_EQ(f.Log, Lines{"Bad frame number: abc"});
}

TEST(ScriptLoader, OpeningLineWithManyFields) {
  std::string opening = "{T;33";
  for (int i = 0; i < 100; ++i)
    opening += ";f" + std::to_string(i);
  TScriptFixture f;
  TCaptel &s = f.Load({opening, "many", "}"});
  ASSERT_EQ(s.Count, 2);
  EXPECT_EQ(s.Texts[1].Frame, 33u);
  EXPECT_TRUE(f.Log.empty());
}

TEST(ScriptLoader, BraceClosingOnTheOpeningLineIsPartOfTheType) {
  // "{HEAD}" opens a block of the unknown type "HEAD}", skipped to its "}".
  TScriptFixture f;
  TCaptel &s = f.Load({"{HEAD}", "TITLE=not read", "}", "{T;5", "after", "}"});
  EXPECT_EQ(s.Title, "Untitled video");
  ASSERT_EQ(s.Count, 2);
  EXPECT_EQ(s.Texts[1].Text, "after");
}

TEST(ScriptLoader, TextLine) {
  TScriptFixture f;
  TCaptel &s =
      f.Load({"{T;1", "  padded\t ", "}", "{T;2", "", "ignored", "}", "{T;3", "   ", "}", "{T;4",
              "#not a comment", "}", "{T;5", "  } closes", "{T;6", "{looks like a block", "}"});
  ASSERT_EQ(s.Count, 7);
  EXPECT_EQ(s.Texts[1].Text, "  padded\t ");
  EXPECT_EQ(s.Texts[2].Text, "");
  EXPECT_EQ(s.Texts[3].Text, "   ");
  EXPECT_EQ(s.Texts[4].Text, "#not a comment");
  EXPECT_EQ(s.Texts[5].Text, "");
  EXPECT_EQ(s.Texts[6].Text, "{looks like a block");
}

TEST(ScriptLoader, UnclosedBlocksRunOn) {
  // A T block without "}" swallows the blocks after it.
  TScriptFixture f;
  TCaptel &s = f.Load({"{T;1", "one", "{T;2", "two", "}", "{T;3", "three", "}"});
  ASSERT_EQ(s.Count, 3);
  EXPECT_EQ(s.Texts[1].Text, "one");
  EXPECT_EQ(s.Texts[2].Text, "three");

  // A HEAD block without "}" reads the next block's lines as directives.
  TScriptFixture g;
  TCaptel &h = g.Load({"{HEAD", "TITLE=first", "{T;5", "TITLE=second", "}", "{T;6", "x", "}"});
  EXPECT_EQ(h.Title, "second");
  EXPECT_EQ(h.Count, 2);

  // The end of the file inside a block ends the load normally.
  TScriptFixture e;
  TCaptel &t = e.Load({"{T;9", "text", "more"});
  ASSERT_EQ(t.Count, 2);
  EXPECT_EQ(t.Texts[1].Text, "text");
}

TEST(ScriptLoader, EntriesStayInFileOrder) {
  TScriptFixture f;
  TCaptel &s = f.Load({"{T;500", "a", "}", "{T;100", "b", "}", "{T;300", "c", "}"});
  EXPECT_EQ(s.Texts[1].Frame, 500u);
  EXPECT_EQ(s.Texts[2].Frame, 100u);
  EXPECT_EQ(s.Texts[3].Frame, 300u);
  EXPECT_DOUBLE_EQ(s.LastFrame, 300.0);
}

TEST(ScriptLoader, HeadDirectives) {
  TScriptFixture f;
  TCaptel &s = f.Load({"{HEAD", "fps=30", "Title= spaced title", "NOEQUALS", "TITLE =ignored",
                       "UNKNOWN=1", "  # comment=1", "KeepAhead=-5", "}"});
  EXPECT_DOUBLE_EQ(s.FrameRate, 30.0);
  EXPECT_EQ(s.Title, " spaced title");
  EXPECT_EQ(s.KeepAhead, -5);
}

TEST(ScriptLoader, HeadValuesThatDoNotReadCleanly) {
  TScriptFixture f;
  TCaptel &s = f.Load({"{HEAD", "FPS=29,97", "KEEPAHEAD=12 frames", "}"});
  EXPECT_DOUBLE_EQ(s.FrameRate, 29.0);
  EXPECT_EQ(s.KeepAhead, 12);

  TScriptFixture g;
  TCaptel &t = g.Load({"{HEAD", "FPS=\t30", "KEEPAHEAD=\t7", "}"});
  EXPECT_DOUBLE_EQ(t.FrameRate, 0.0);
  EXPECT_EQ(t.KeepAhead, 0);

  TScriptFixture h;
  TCaptel &u = h.Load({"{HEAD", "KEEPAHEAD=3", "KEEPAHEAD=", "FPS=  24", "}"});
  EXPECT_EQ(u.KeepAhead, 0);
  EXPECT_DOUBLE_EQ(u.FrameRate, 24.0);
  EXPECT_TRUE(f.Log.empty() && g.Log.empty() && h.Log.empty());
}

TEST(ScriptLoader, LaterDirectivesOverrideAndHeadBlocksMayBeAnywhere) {
  TScriptFixture f;
  TCaptel &s = f.Load(
      {"{HEAD", "TITLE=one", "FILE=a", "}", "{T;5", "x", "}", "{HEAD", "TITLE=two", "FILE=b", "}"});
  EXPECT_EQ(s.Title, "two");
  ASSERT_NE(s.VideoFiles, nullptr);
  EXPECT_EQ(s.VideoFiles->FileName, "b");
  EXPECT_EQ(s.VideoFiles->Next->FileName, "a");
  EXPECT_EQ(s.Count, 2);
}

TEST(ScriptLoader, IoErrorsRaiseEInOutError) {
  TScriptFixture f;
  try {
    f.Script->LoadFromFile("missing.scr");
    FAIL() << "no error";
  } catch (const EInOutError &e) {
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_EQ(e.Message, "File not found");
  }
  EXPECT_EQ(f.Script->ScriptFileName, "missing.scr");
  EXPECT_EQ(f.Script->Title, "Untitled video");
  // A failed load leaves a list that a drain walks safely.
  EXPECT_TRUE(f.Drain().empty());

  f.Files.Add("locked.scr", "{T;1\r\nx\r\n}\r\n");
  f.Files.Errors["locked.scr"] = 5;
  EXPECT_THROW(f.Script->LoadFromFile("locked.scr"), EInOutError);
}

TEST(ScriptLoader, MoreEntriesThanTheTableHoldsAreDroppedAndReported) {
  std::string bytes;
  const int blocks = TCaptel::MaxEntries + 25;
  for (int i = 1; i <= blocks; ++i)
    bytes += "{T;" + std::to_string(i) + "\r\ntext " + std::to_string(i) + "\r\n}\r\n";
  TScriptFixture f;
  TCaptel &s = f.LoadBytes(bytes + "{HEAD\r\nTITLE=still read\r\n}\r\n");
  EXPECT_EQ(s.Count, TCaptel::TableSlots - 1);
  EXPECT_EQ(s.Texts[TCaptel::MaxEntries].Text, "text 9999");
  EXPECT_EQ(s.Texts[TCaptel::TableSlots - 1].Frame, 1000000u);
  EXPECT_EQ(s.Texts[TCaptel::TableSlots - 1].Next, 0);
  EXPECT_DOUBLE_EQ(s.LastFrame, 9999.0);
  EXPECT_EQ(s.Title, "still read");
  EXPECT_EQ(f.Log, Lines{"Too many subtitles: 25 dropped"});

  s.AdvanceTo(999999, 0);
  EXPECT_EQ(f.Drain().size(), static_cast<size_t>(TCaptel::MaxEntries));
}

TEST(ScriptLoader, LongLinesAndLargeFiles) {
  const std::string longText(8 << 20, 'x');
  std::string bytes = "{T;5\r\n" + longText + "\r\n}\r\n";
  bytes += "{HEAD\r\nTITLE=" + std::string(3 << 20, 't') + "\r\n}\r\n";
  for (int i = 0; i < 200000; ++i)
    bytes += "filler line outside every block\r\n";
  bytes += "{T;6\r\nlast\r\n}\r\n";
  TScriptFixture f;
  TCaptel &s = f.LoadBytes(bytes);
  ASSERT_EQ(s.Count, 3);
  EXPECT_EQ(s.Texts[1].Text.size(), longText.size());
  EXPECT_EQ(s.Title.size(), static_cast<size_t>(3 << 20));
  EXPECT_EQ(s.Texts[2].Text, "last");
}

TEST(ScriptLoader, FindVideoFileTriesTheLastFileDirectiveFirst) {
  TScriptFixture f;
  f.Load({"{HEAD", "FILE=earlier.avi", "FILE=later.avi", "FILE=folder", "}"});
  f.Files.Directories.insert("folder");
  f.Files.Add("folder", "");
  std::string name = "stale";
  f.Script->FindVideoFile(name);
  EXPECT_EQ(name, "");

  f.Files.Add("earlier.avi", "");
  f.Script->FindVideoFile(name);
  EXPECT_EQ(name, "earlier.avi");

  f.Files.Add("later.avi", "");
  f.Script->FindVideoFile(name);
  EXPECT_EQ(name, "later.avi");
}

} // namespace
