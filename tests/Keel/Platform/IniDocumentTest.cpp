// INI text kept line by line: lookups by the classic profile rules and changes that keep every other byte.
#include "Keel/Platform/IniDocument.h"

#include <gtest/gtest.h>

using keel::IniDocument;

TEST(IniDocument, ValuesRoundTripByteForByte) {
  const std::string longValue(300, 'v');
  const std::string values[] = {"plain",
                                "a\tb\tc",
                                "  two leading spaces",
                                "trailing ",
                                "\tleading tab",
                                "Gr\xC3\xBC\xC3\x9F"
                                "e \xF0\x9F\x8E\xB9",
                                "\"quoted\"",
                                "'single'",
                                "\"",
                                "",
                                "a=b=c",
                                "x;y#z[w]",
                                longValue,
                                "\xFF\xFE raw bytes"};
  IniDocument doc;
  int i = 0;
  for (const std::string& v : values)
    ASSERT_TRUE(doc.Set("Values", "k" + std::to_string(i++), v)) << v;
  const IniDocument reread = IniDocument::Parse(doc.Serialize());
  i = 0;
  for (const std::string& v : values)
    EXPECT_EQ(reread.Get("Values", "k" + std::to_string(i++)), v) << v;
}

TEST(IniDocument, ChangingOneKeyKeepsEveryOtherLineInPlace) {
  const std::string text = "; written by hand\n"
                           "[Audio]\n"
                           "Driver = 1\n"
                           "Unknown=keep me\n"
                           "\n"
                           "[Extra Section]\n"
                           "foo=bar\n"
                           "odd line without equals\n";
  IniDocument doc = IniDocument::Parse(text);
  ASSERT_TRUE(doc.Set("audio", "driver", "2"));
  ASSERT_TRUE(doc.Set("Audio", "Device", "JACK"));
  ASSERT_TRUE(doc.Set("MIDI", "In", "port"));
  EXPECT_EQ(doc.Serialize(), "; written by hand\n"
                             "[Audio]\n"
                             "driver=2\n"
                             "Unknown=keep me\n"
                             "Device=JACK\n"
                             "\n"
                             "[Extra Section]\n"
                             "foo=bar\n"
                             "odd line without equals\n"
                             "[MIDI]\n"
                             "In=port\n");
}

TEST(IniDocument, LookupIgnoresCaseAndBlanksAndTakesTheFirstMatch) {
  const IniDocument doc =
      IniDocument::Parse("[ Main ]\n  Key =  spaced value  \nkey=second\n[main]\nKey=later\n"
                         "[Quoted]\nq=\"  kept  \"\nhalf=\"open\n");
  EXPECT_EQ(doc.Get("MAIN", "KEY"), "spaced value");
  EXPECT_EQ(doc.Get("Quoted", "q"), "  kept  ");
  EXPECT_EQ(doc.Get("Quoted", "half"), "\"open");
  EXPECT_FALSE(doc.Get("Main", "missing").has_value());
  EXPECT_FALSE(doc.Get("Nowhere", "Key").has_value());
  EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"Main", "main", "Quoted"}));
  EXPECT_EQ(doc.KeyNames("main"), (std::vector<std::string>{"Key", "key"}));
}

TEST(IniDocument, RemovingKeysAndSections) {
  IniDocument doc = IniDocument::Parse("[A]\nx=1\ny=2\nx=3\n[B]\nz=4\n[C]\nw=5\n");
  doc.RemoveKey("A", "X");
  EXPECT_FALSE(doc.Get("A", "x").has_value()); // a duplicate must not surface afterwards
  EXPECT_EQ(doc.Get("A", "y"), "2");
  doc.RemoveSection("b");
  EXPECT_EQ(doc.Serialize(), "[A]\ny=2\n[C]\nw=5\n");
}

TEST(IniDocument, RefusesNamesAndValuesThatCannotLiveInOneLine) {
  IniDocument doc = IniDocument::Parse("[S]\nk=v\n");
  EXPECT_FALSE(doc.Set("S", "k", "two\nlines"));
  EXPECT_FALSE(doc.Set("S", "k", "carriage\rreturn"));
  EXPECT_FALSE(doc.Set("S", "a=b", "v"));
  EXPECT_FALSE(doc.Set("S", "[k", "v"));
  EXPECT_FALSE(doc.Set("S", "", "v"));
  EXPECT_FALSE(doc.Set("S]", "k", "v"));
  EXPECT_FALSE(doc.Set("", "k", "v"));
  EXPECT_EQ(doc.Serialize(), "[S]\nk=v\n");
}

TEST(IniDocument, NewLinesInACrlfFileUseCrlf) {
  IniDocument doc = IniDocument::Parse("[S]\r\nk=v\r\n");
  EXPECT_EQ(doc.Get("S", "k"), "v");
  doc.Set("S", "n", "w");
  doc.Set("T", "m", "x");
  EXPECT_EQ(doc.Serialize(), "[S]\r\nk=v\r\nn=w\r\n[T]\r\nm=x\r\n");
}
