#include "convert/pass_engine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "convert/line_writer.h"
#include "convert/list_converters.h"
#include "convert_fixture.h"
#include "gen/qbxml_gen.h"
#include "platform/com_error.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::CountOf;
using testing::HasSubstr;
using testing::Not;
using testing::Reply;
using testing::Response;
using enum UpdateRule;

// ---- A made-up entity that uses every value kind and every hook ----

// The hooks of the tests: each switch turns one hook on; what the hooks saw
// is kept for the test to read.
class ScriptedHooks : public ListHooks {
 public:
  bool TakeRecord(RecordContext& record) override { return !NameStarts(record, skip); }
  void FillRow(RecordContext& record) override {
    if (fill_inactive) record.row.IsActive = false;
  }
  bool ConvertAnyway(RecordContext& record) override { return NameStarts(record, keep); }
  bool TakeFiltered(RecordContext& record) override { return !NameStarts(record, drop); }
  void Written(RecordContext& record) override {
    written.push_back(record.position);
    entries_before.push_back(record.entries);
  }
  bool StatusEarned(const PassContext& pass) override {
    return !never_earned && ListHooks::StatusEarned(pass);
  }
  void EndSizing(ListStore& /*store*/, PassEnd end, long walked) override {
    end_sizings.emplace_back(end, walked);
  }

  std::string_view skip = "-", keep = "-", drop = "-";
  bool fill_inactive = false;
  bool never_earned = false;
  std::string tag;  // written by the [Custom] column when set
  std::vector<long> written, entries_before;
  std::vector<std::pair<PassEnd, long>> end_sizings;

 private:
  static bool NameStarts(RecordContext& record, std::string_view head) {
    std::string_view name;
    return record.ChildText("Name", &name) && name.starts_with(head);
  }
};

// 'pos' and the record's position; updated only for odd positions. The
// hooks' tag follows when there is one.
bool PositionValue(RecordContext& record, const Column& /*column*/, std::string& out) {
  out += "'pos";
  out += std::to_string(record.position);
  const auto& hooks = static_cast<const ScriptedHooks&>(record.hooks);
  if (!hooks.tag.empty()) out += "/" + hooks.tag;
  out += '\'';
  return record.position % 2 == 1;
}

constexpr Column kWidgetColumns[] = {
    RowNumberColumn("[RowID]"),
    TextColumn("[Name]", "Name", 10, kYes),
    TextColumn("[Memo]", "Memo", 0, kYes),
    TextColumn("[Kind]", "Kind", 8, kNo, "'None'"),
    TextOfChildColumn("[Parent]", "ParentRef", "FullName", 20, kYes),
    BlankColumn("[Blank]"),
    NumberColumn("[Amount]", "Amount", "0", kYes),
    ConstantColumn("[Fixed]", "-1"),
    FlagColumn("[Active]", "IsActive"),
    LevelColumn("[Level]", "Sublevel", kYes),
    CreatedAuditColumn("[Created]", kNo),
    ModifiedAuditColumn("[Updated]", kYes),
    ModifiedDateColumn("[Modified]", kYes),
    UserColumn("[By]", 4, kYes),
    DateColumn("[Hired]", "HiredDate", "'none'", kYes),
    CustomColumn("[Custom]", PositionValue, kByHook),
    ListIdColumn(),
};

const ListEntity kWidgets{
    .pass = {.record_element = "WidgetRet",
             .letter = "W",
             .start_text = {"Getting ", &Wording::SILexicon, "s from QB"},
             .running_text = {"Getting Widgets ("},
             .failure_reset = FailureReset::kAfterParseTest},
    .table = "Widgets",
    .key_column = "WidgetID",
    .columns = kWidgetColumns,
};

const char kFullWidget[] =
    "<WidgetRet><ListID>W-1</ListID>"
    "<TimeCreated>2007-10-23T09:05:08-08:00</TimeCreated>"
    "<TimeModified>2008-01-15T00:00:00Z</TimeModified>"
    "<Name>Gadget's best</Name><Memo>uncut memo text</Memo><Kind>Thingamajig</Kind>"
    "<ParentRef><ListID>P-1</ListID><FullName>Parent</FullName></ParentRef>"
    "<Amount>-20.50</Amount><IsActive>true</IsActive><Sublevel>4</Sublevel>"
    "<HiredDate>2007-06-01</HiredDate></WidgetRet>";

const char kFullWidgetStatement[] =
    "IF (SELECT Count(WidgetID) FROM [Widgets] WHERE [QBListID] = 'W-1') <= 0\r\n"
    "\tINSERT INTO Widgets ([RowID],[Name],[Memo],[Kind],[Parent],[Blank],[Amount],[Fixed],"
    "[Active],[Level],[Created],[Updated],[Modified],[By],[Hired],[Custom],[QBListID]) VALUES "
    "(9000000,'Gadget''s b','uncut memo text','Thingama','Parent','',-20.50,-1,-1,5,"
    "'10/23/2007 09:05:08','01/15/2008 00:00:00','1/15/2008','jsmi','06/01/2007 00:00:00',"
    "'pos0','W-1')\r\n"
    "Else\r\n"
    "\tUPDATE Widgets SET [Name]='Gadget''s b',[Memo]='uncut memo text',[Parent]='Parent',"
    "[Amount]=-20.50,[Level]=5,[Updated]='01/15/2008 00:00:00',[Modified]='1/15/2008',"
    "[By]='jsmi',[Hired]='06/01/2007 00:00:00',[QBListID]='W-1' WHERE [QBListId] = 'W-1'\r\n";

// The same widget with every element missing but its name, at position 1.
const char kBareWidgetStatement[] =
    "UPDATE Widgets SET [Name]='x',[Memo]='',[Parent]='',[Amount]=0,[Active]=0,[Level]=1,"
    "[Updated]='12/30/1899 00:00:00',[Modified]='12:00:00 AM',[By]='jsmi',[Hired]='none',"
    "[Custom]='pos1',[QBListID]='' WHERE [QBListId] = ''\r\n";

class PassEngineTest : public ConvertTest {
 protected:
  void SetUp() override {
    ConvertTest::SetUp();
    ctl_.SILexicon = "Widget";
  }
  // The widgets run as the items' pass: their failure counter, count and
  // last-sync date, with the widgets' own letter.
  PassContext& Context() {
    context_.emplace(ctl_.ContextFor(Entity(EntityKind::kItems)));
    return *context_;
  }
  void RunWidgets(const std::string& records) {
    SetResponse(Response(records, "WidgetQueryRs"));
    ConvertListEntity(Context(), kWidgets, store_, hooks_);
  }
  ListStoreOf<ListRow> store_;
  ScriptedHooks hooks_;
  std::optional<PassContext> context_;
};

TEST_F(PassEngineTest, EveryValueKindIsWrittenAsItsRuleSays) {
  RunWidgets(std::string(kFullWidget) + "<WidgetRet><Name>x</Name></WidgetRet>");
  ASSERT_EQ(PostBodies().size(), 1u);
  EXPECT_EQ(PostBodies()[0], std::string(kFullWidgetStatement) + kBareWidgetStatement);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"W"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"W"});
  EXPECT_EQ(ctl_.run().counts[EntityKind::kItems], 2);
  EXPECT_EQ(store_.Row(1).ListID, "W-1");
  EXPECT_EQ(store_.Row(1).TimeCreated, *platform::DateTime::FromParts(2007, 10, 23, 9, 5, 8));
  EXPECT_TRUE(store_.Row(1).IsActive);
  EXPECT_FALSE(store_.Row(2).IsActive);
  // The progress strip shows, counts the records and hides again.
  std::vector<std::string> strip;
  for (const std::string& redraw : host_.redraws) {
    if (redraw.starts_with("fraProgress:")) strip.push_back("fraProgress");
    if (redraw.starts_with("lblProcess:")) strip.push_back(redraw.substr(11));
  }
  EXPECT_EQ(strip, (std::vector<std::string>{"fraProgress", "Getting Widgets from QB",
                                             "Getting Widgets (1)", "Getting Widgets (2)"}));
  const WizardScreen& screen = ctl_.screen();
  EXPECT_EQ(screen.ProgressBar1.max(), 1);
  EXPECT_EQ(screen.ProgressBar1.value(), 1);
  EXPECT_TRUE(screen.ProgressBar1.visible());
  EXPECT_TRUE(screen.lblProcess.visible());
  EXPECT_FALSE(screen.fraProgress.visible());
}

// A single record gives the bar a maximum of one. FillRow runs after the
// common fields (its inactive row makes the statement update-only). The
// status update's own failure is no failure of the pass.
TEST_F(PassEngineTest, OneRecordFilledInactiveWhoseStatusUpdateFailsToStart) {
  browser().on_navigate = [](const testing::Navigation& n) {
    if (!n.post_data) throw platform::ComError(-2147467259, "Method 'Navigate2' failed");
  };
  hooks_.fill_inactive = true;
  ctl_.run().mLastResult = wgurUnknownError;
  RunWidgets(kFullWidget);
  ASSERT_EQ(PostBodies().size(), 1u);
  EXPECT_TRUE(PostBodies()[0].starts_with("UPDATE Widgets SET ")) << PostBodies()[0];
  EXPECT_EQ(StatusLetters().size(), 1u);
  EXPECT_EQ(ctl_.run().mLastResult, wgurSuccess);  // from the accepted post
  EXPECT_FALSE(ctl_.run().mStopRun);
  EXPECT_FALSE(modWizard().blnSyncError);
  EXPECT_FALSE(ctl_.screen().fraProgress.visible());
  EXPECT_EQ(ctl_.screen().ProgressBar1.max(), 1);
  EXPECT_EQ(ctl_.screen().ProgressBar1.value(), 0);
}

// One rule at a time, each shown by pieces of the statements posted; what
// reaches the server is US-ASCII whatever the texts.
TEST_F(PassEngineTest, ValueRulesOneAtATime) {
  std::string acute;  // twelve e-acute letters, cut to the ten of [Name]
  for (int i = 0; i < 12; ++i) acute += "\xC3\xA9";
  struct Case {
    std::string records;
    std::vector<std::string> present, absent = {};
    std::string user = "jsmith";
  };
  // clang-format off
  const Case cases[] = {
      // A two-step source without its grandchild is missing.
      {"<Name>x</Name><ParentRef><ListID>P</ListID></ParentRef>", {"[Parent]='',"}},
      // Non-ASCII letters count as one character each.
      {"<Name>" + acute + "</Name>", {"[Name]='eeeeeeeeee',", "[By]='Jurg',"}, {}, "J\xC3\xBCrg"},
      // The parser reads a CR LF inside a text as a line feed.
      {"<Name>A|B</Name><Memo>line one\r\nline|two</Memo>",
       {"[Name]='A|B',", "[Memo]='line one\nline|two',"}},
      {"<Name>x</Name><TimeCreated>yesterday</TimeCreated><TimeModified>2007-13-45T99:00:00"
       "</TimeModified><HiredDate>soon</HiredDate><IsActive>1</IsActive>",
       {",1,'12/30/1899 00:00:00','12/30/1899 00:00:00','12:00:00 AM','jsmi','none',"}},
      {"<Name>x</Name>", {"[By]='O''Ha',"}, {}, "O'Hara"},
      // Only "1" and "true" are active.
      {"<Name>x</Name><IsActive>True</IsActive></WidgetRet><WidgetRet><Name>y</Name>"
       "<IsActive>1</IsActive>",
       {",[Amount]=0,[Active]=0,", "VALUES (9000001,'y',"}, {"VALUES (9000000,"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.records);
    StartOver();
    ctl_.TessalyUser = c.user;
    RunWidgets("<WidgetRet>" + c.records + "</WidgetRet>");
    const std::string posted = AllPosted();
    for (const std::string& piece : c.present) EXPECT_THAT(posted, HasSubstr(piece));
    for (const std::string& piece : c.absent) EXPECT_THAT(posted, Not(HasSubstr(piece)));
    for (const char ch : posted) EXPECT_LT(static_cast<unsigned char>(ch), 0x80);
  }
}

std::string TimedWidget(const std::string& name, const std::string& created,
                        const std::string& modified) {
  return "<WidgetRet><ListID>" + name + "</ListID><TimeCreated>" + created +
         "</TimeCreated><TimeModified>" + modified + "</TimeModified><Name>" + name +
         "</Name><IsActive>true</IsActive></WidgetRet>";
}

// The last-sync filter keeps the records created or modified at or after its
// second, not one without times; the hooks choose around it: a skipped record
// is passed over before anything else (its row untouched), a kept one is
// converted though the filter drops it, a dropped one is not though the
// filter takes it. Row numbers still count the records passed over.
TEST_F(PassEngineTest, TheLastSyncFilterAndTheRecordHooksChooseWhatIsConverted) {
  hooks_.skip = "skip";
  hooks_.keep = "keep";
  hooks_.drop = "drop";
  hooks_.tag = "42";  // the writer's column hook reads the hooks' own state
  modWizard().last_sync.TasksLastSyncDate = *platform::DateTime::FromParts(2007, 10, 23, 15, 5, 58);
  const std::string before = "2007-10-23T15:05:57-08:00";
  const std::string at = "2007-10-23T15:05:58-08:00";
  RunWidgets(TimedWidget("skip me", at, at) + TimedWidget("keep old", before, before) +
             TimedWidget("old", before, before) + TimedWidget("modified", before, at) +
             TimedWidget("created", at, before) + "<WidgetRet><Name>undated</Name></WidgetRet>" +
             TimedWidget("drop new", at, at) +
             TimedWidget("later", "2008-01-01T00:00:00", "2008-01-01T00:00:00"));
  const std::string posted = AllPosted();
  EXPECT_EQ(CountOf(posted, "UPDATE "), 4);
  for (const char* row :
       {"9000001,'keep old'", "9000003,'modified'", "9000004,'created'", "9000007,'later'"}) {
    EXPECT_THAT(posted, HasSubstr(std::string("VALUES (") + row));
  }
  EXPECT_THAT(posted, HasSubstr(",[Custom]='pos1/42',"));
  EXPECT_EQ(ctl_.run().counts[EntityKind::kItems], 4);
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting Widgets (4)");
  EXPECT_EQ(store_.Row(1).ListID, "");
  EXPECT_TRUE(store_.Row(1).TimeCreated.IsZero());
  // Written hears of the written records only, with the entries before each.
  EXPECT_EQ(hooks_.written, (std::vector<long>{1, 3, 4, 7}));
  EXPECT_EQ(hooks_.entries_before, (std::vector<long>{0, 1, 2, 3}));
}

// ---- Batching and uploads ----

// A normal pass posts batches of a hundred statements (100 and 101 place the
// boundary, 250 shows the count restarting), a debug pass one statement a
// post. A normal pass takes "No data to upload" and stops at any other
// refusal; a debug pass counts its refused statements and stops on the first
// only when asked to. A cancel stops either. A stopped pass makes no status
// update and leaves the progress strip as it is; a pass with failures makes
// none either.
TEST_F(PassEngineTest, BatchesRefusalsAndCancelsDecideHowAPassEnds) {
  enum Mode { kNormal, kDebugStop, kDebugGoOn };
  struct Case {
    Mode mode;
    std::vector<std::string> replies;
    std::size_t cancelled_post;  // 0: none
    long records;
    std::vector<long> per_post;
    bool stopped;
    BMWGUtilityResult result;
    long count, failures;
    bool status;
    long lost;  // entries of the posts the server did not take
  };
  // clang-format off
  const Case cases[] = {
      {kNormal, {}, 0, 100, {100}, false, wgurSuccess, 100, 0, true, 0},
      {kNormal, {}, 0, 101, {100, 1}, false, wgurSuccess, 101, 0, true, 0},
      {kNormal, {}, 0, 250, {100, 100, 50}, false, wgurSuccess, 250, 0, true, 0},
      {kDebugGoOn, {}, 0, 101, std::vector<long>(101, 1), false, wgurSuccess, 101, 0, true, 0},
      {kNormal, {"No data to upload. "}, 0, 150, {100, 50}, false, wgurSuccess, 150, 0, true, 100},
      {kNormal, {"Invalid column name"}, 0, 250, {100}, true, wgurAspFailed, 100, 0, false, 100},
      {kNormal, {"Refused"}, 0, 1, {1}, true, wgurAspFailed, 1, 0, false, 1},
      {kNormal, {"SUCCESS", "Timeout expired"}, 0, 151, {100, 51}, true, wgurAspFailed, 151, 0,
       false, 51},
      {kDebugStop, {"SUCCESS", "Syntax error"}, 0, 5, {1, 1}, true, wgurAspFailed, 2, 1, false, 1},
      {kDebugGoOn, {"SUCCESS", "Syntax error", "No data to upload. ", "SUCCESS", "Deadlock"}, 0,
       5, {1, 1, 1, 1, 1}, false, wgurAspFailed, 5, 3, false, 3},
      {kNormal, {}, 1, 120, {100}, true, wgurProcessInterrupted, 100, 0, false, 100},
      {kDebugGoOn, {}, 3, 5, {1, 1, 1}, true, wgurProcessInterrupted, 3, 0, false, 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "mode " << c.mode << ", " << c.records << " records, " << c.replies.size()
                 << " replies, cancel at " << c.cancelled_post);
    StartOver();
    ctl_.run().figures = RunFigures();
    SetDebugMode(c.mode != kNormal, c.mode == kDebugStop);
    ScriptReplies(c.replies);
    // The post to cancel waits until the user clicks Cancel.
    browser().on_navigate = [this, &c](const testing::Navigation&) {
      if (browser().navigations.size() != c.cancelled_post) return;
      browser().replies.push_front(Reply::Hang());
      host_.pending.push_back([this] { ctl_.cmdNav_Click(1); });
    };
    gen::GenOptions classes;
    classes.classes = c.records;
    SetResponse(gen::GenerateResponse(classes));
    Run(EntityKind::kClasses);
    std::vector<long> per_post;
    for (const std::string& body : PostBodies()) per_post.push_back(CountOf(body, "UPDATE "));
    EXPECT_EQ(per_post, c.per_post);
    EXPECT_EQ(ctl_.run().mStopRun, c.stopped);
    EXPECT_EQ(ctl_.run().mLastResult, c.result);
    EXPECT_EQ(ctl_.run().counts[EntityKind::kClasses], c.count);
    EXPECT_EQ(ctl_.lngFailedClassCnt, c.failures);
    EXPECT_EQ(StatusLetters(), std::vector<std::string>(c.status ? 1 : 0, "C"));
    EXPECT_EQ(StatusCameLast(), c.status);
    EXPECT_EQ(ctl_.screen().fraProgress.visible(), c.stopped);
    EXPECT_EQ(ctl_.run().figures[EntityKind::kClasses].lost, c.lost);
    for (const std::string& letter : PostLetters()) EXPECT_EQ(letter, "C");
    if (c.stopped) continue;
    // The batch count restarts after each normal upload; debug mode only counts.
    EXPECT_EQ(ctl_.run().lngBatchCount, c.mode == kNormal ? 0 : c.records);
    EXPECT_EQ(ctl_.run().mScript->size(), 0);
  }
}

// ---- Passes without records to write ----

// A response that does not parse tells why (the driver's error pair); one without records
// empties the store. Neither shows, writes or counts anything, and the hooks
// hear how the pass ended.
TEST_F(PassEngineTest, PassesWithoutRecordsWriteNothing) {
  SetResponse("<QBXML><QBXMLMsgsRs><WidgetRet><Name>x</Name></QBXMLMsgsRs>");
  ctl_.run().counts[EntityKind::kItems] = 4;
  ctl_.lngFailedItemCnt = 2;
  ConvertListEntity(Context(), kWidgets, store_, hooks_);
  ASSERT_TRUE(ctl_.run().response_error.has_value());
  EXPECT_NE(ctl_.run().response_error->find(" at offset "), std::string::npos);
  ctl_.run().response_error.reset();
  EXPECT_EQ(ctl_.lngFailedItemCnt, 2);  // cleared only once the response parsed

  store_.Size(5, "");
  RunWidgets("");
  EXPECT_EQ(store_.size(), 0u);
  EXPECT_EQ(ctl_.lngFailedItemCnt, 0);
  EXPECT_EQ(ctl_.run().counts[EntityKind::kItems], 4);
  EXPECT_EQ(ctl_.run().mScript->size(), 0);
  EXPECT_TRUE(browser().navigations.empty());
  EXPECT_TRUE(host_.redraws.empty());
  EXPECT_FALSE(ctl_.screen().fraProgress.visible());

  hooks_.never_earned = true;  // a finished pass that earns no status update
  RunWidgets("<WidgetRet><Name>a</Name></WidgetRet><WidgetRet><Name>b</Name></WidgetRet>");
  EXPECT_EQ(PostBodies().size(), 1u);
  EXPECT_TRUE(StatusLetters().empty());
  EXPECT_FALSE(ctl_.screen().fraProgress.visible());
  EXPECT_EQ(hooks_.end_sizings,
            (std::vector<std::pair<PassEnd, long>>{
                {PassEnd::kNotParsed, 0}, {PassEnd::kNoRecords, 0}, {PassEnd::kFinished, 2}}));
}

// ---- A line writer: two "|" lines per record ----

// A part's line: its number, the record's name, the part's text and a field
// that the hook writes.
void PartOrigin(RecordContext& record, const platform::XmlNode& /*line*/, std::string& out) {
  out += "rec" + std::to_string(record.position);
}
constexpr Field kPartFields[] = {TextField("No"), RecordTextField("Name"), TextField("Text"),
                                 ConstantField("x"), CustomField(PartOrigin, "Origin")};
constexpr Field kNoteFields[] = {ConstantField("note"), TextField("Text", "Body")};
constexpr LineKind kPartLines[] = {{"PartRet", kPartFields}, {"NoteRet", kNoteFields}};

const PassSpec kParts{.record_element = "WidgetRet",
                      .letter = "L",
                      .start_text = {"Getting Parts"},
                      .running_text = {"Getting Parts ("},
                      .last_sync_filter = false};

std::string PartRecord(int n) {
  const std::string i = std::to_string(n);
  return "<WidgetRet><Name>w" + i + "</Name><PartRet><No>" + i +
         "a</No><Text>A|B</Text></PartRet>" + "<Other/><NoteRet><Text><Body>n" + i +
         "</Body></Text></NoteRet></WidgetRet>";
}

// With safe lines, "|" and line breaks inside free texts become blanks and
// the lines stay whole; fields the writer makes itself are untouched.
TEST_F(PassEngineTest, SafeLinesBlankTheSeparatorsOfFreeTexts) {
  SetResponse(
      Response("<WidgetRet><Name>a&#13;&#10;b|c</Name><PartRet><No>1</No><Text>x|True"
               "</Text></PartRet><NoteRet><Text><Body>ok</Body></Text></NoteRet>"
               "</WidgetRet>",
               "WidgetQueryRs"));
  ctl_.run().safe_lines = true;
  LineWriter writer(kPartLines);
  RunPass(Context(), kParts, store_, hooks_, writer);
  EXPECT_EQ(AllPosted(), "1|a  b c|x True|x|rec0\r\nnote|ok\r\n");
  std::vector<std::string> fields;
  for (const LineTextIssue& issue : ctl_.run().line_issues) {
    EXPECT_TRUE(issue.replaced);
    fields.push_back(issue.field);
  }
  EXPECT_EQ(fields, (std::vector<std::string>{"Name", "Text"}));
}

TEST_F(PassEngineTest, ALineWriterWritesEveryLineElementAndBatchesLineByLine) {
  std::string records;
  for (int i = 0; i < 60; ++i) records += PartRecord(i);
  SetResponse(Response(records + "<WidgetRet><Name>none</Name></WidgetRet>", "WidgetQueryRs"));
  LineWriter writer(kPartLines);
  RunPass(Context(), kParts, store_, hooks_, writer);
  // 120 lines in document order: the 100th is the first line of record 50.
  const auto bodies = PostBodies();
  ASSERT_EQ(bodies.size(), 2u);
  EXPECT_EQ(CountOf(bodies[0], "\r\n"), 100);
  EXPECT_TRUE(bodies[0].ends_with("49a|w49|A|B|x|rec49\r\nnote|n49\r\n"));
  EXPECT_TRUE(bodies[1].starts_with("50a|"));
  EXPECT_EQ(CountOf(bodies[1], "\r\n"), 20);
  EXPECT_EQ(ctl_.run().counts[EntityKind::kItems], 120);
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting Parts (120)");
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"L"});
  // Written hears of the records with lines, with the lines before each.
  EXPECT_EQ(hooks_.written.size(), 60u);
  EXPECT_EQ(hooks_.entries_before[1], 2);
  // Each record's "|" in a free text is reported once, by its field.
  ASSERT_EQ(ctl_.run().line_issues.size(), 60u);
  EXPECT_EQ(ctl_.run().line_issues[1].letter, 'L');
  EXPECT_EQ(ctl_.run().line_issues[1].field, "Text");
  EXPECT_FALSE(ctl_.run().line_issues[1].replaced);

  // A refused post in the middle of a record stops before its second line.
  browser().navigations.clear();
  hooks_.written.clear();
  SetDebugMode(true, /*stop_on_error=*/true);
  ScriptReplies({"SUCCESS", "SUCCESS", "Refused"});
  RunPass(Context(), kParts, store_, hooks_, writer);
  EXPECT_EQ(PostBodies(), (std::vector<std::string>{"0a|w0|A|B|x|rec0\r\n", "note|n0\r\n",
                                                    "1a|w1|A|B|x|rec1\r\n"}));
  EXPECT_EQ(hooks_.written, std::vector<long>{0});
  EXPECT_EQ(ctl_.lngFailedItemCnt, 1);
  EXPECT_TRUE(ctl_.run().mStopRun);
}

}  // namespace
}  // namespace vantrel
