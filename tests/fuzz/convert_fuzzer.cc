// Fuzzes the response load and a whole conversion pass: the input is the
// qbXML response, which every converter (employees to expenses, in pass
// order) reads and posts to a sink that accepts every upload. Each response
// is converted twice, in batches and in debug mode (one post per entry).
//
// Beyond crashes, it checks that the reading of the response the passes share
// (a quick check and index, records parsed a batch at a time) gives what one
// whole parse gives: the same verdict and error text, and for every element
// name the same elements with the same text in the same order. It checks what
// every post must be: US-ASCII bytes only, each
// entry ended by CR LF, readable by the site's statement or line reader as
// exactly as many entries as the passes counted, and no pass stopped (the
// sink refuses nothing); and that debug mode changes only the batching: both
// runs post the same text. Lines are written unquoted, so the site may
// refuse a post of lines, but only at a line that carries a "|" or a CR LF
// of a text of the time and expense records (or a piece of a line such a CR
// LF broke); the entries of that letter are then not counted.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "control/entity_table.h"
#include "fuzz_check.h"
#include "platform/date_time.h"
#include "platform/text_stream.h"
#include "platform/xml_document.h"
#include "platform/xml_response.h"
#include "platform/xml_scan.h"
#include "site/sql_script.h"
#include "site/txn_lines.h"
#include "support/sink_run.h"
#include "wizard/mod_wizard.h"

namespace {

void CollectNames(const vantrel::platform::XmlNode& node, std::set<std::string>& names) {
  names.emplace(node.Name());
  for (const vantrel::platform::XmlNode& child : node.ChildElements()) CollectNames(child, names);
}

// Walks the records of `name` passing over every other record whose quick
// look is sure: the quick look at each record's Sublevel and first child
// agrees with the parsed record, and the records not passed over come as
// they are.
void CheckQuickLooks(const vantrel::platform::XmlResponse& reading, const std::string& name,
                     const std::vector<vantrel::platform::XmlNode>& expected) {
  using vantrel::platform::ChildPeek;
  std::string probe = "Sublevel";
  if (!expected.empty()) {
    const vantrel::platform::XmlNode first = expected.front().FirstChildElement();
    if (first) probe = first.Name();
  }
  std::vector<ChildPeek> looks[2];
  std::vector<bool> passed;
  vantrel::platform::XmlRecords records = reading.Records(name);
  records.PassOver([&](std::string_view text) {
    looks[0].push_back(vantrel::platform::PeekChild(text, "Sublevel"));
    looks[1].push_back(vantrel::platform::PeekChild(text, probe));
    passed.push_back(looks[1].back().result != ChildPeek::kUnsure && passed.size() % 2 == 0);
    return passed.back();
  });
  std::string scratch;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const vantrel::platform::XmlNode record = records.Next();
    if (i >= passed.size()) {  // a whole document: no record is looked at
      Require(record && !records.passed_over() && looks[0].empty());
      continue;
    }
    Require(records.passed_over() == passed[i] && bool(record) != passed[i]);
    const std::string_view names[2] = {"Sublevel", probe};
    for (int k = 0; k < 2; ++k) {
      const ChildPeek& look = looks[k][i];
      const vantrel::platform::XmlNode child = expected[i].SelectSingleNode(names[k]);
      if (look.result == ChildPeek::kMissing) Require(!child);
      if (look.result == ChildPeek::kFound) Require(child && child.TextView(scratch) == look.text);
    }
    if (record) Require(record.Text() == expected[i].Text());
  }
  Require(!records.Next() && !records.passed_over());
}

void CheckReading(const std::string& response) {
  vantrel::platform::XmlDocument whole;
  const bool parsed = whole.LoadXml(response);
  vantrel::platform::XmlResponse reading;
  Require(reading.Load(response) == parsed);
  if (!parsed) {
    Require(reading.parse_error() == whole.parse_error());
    return;
  }
  // Every name of the document, and names of records it may lack.
  std::set<std::string> names = {"ClassRet", "CustomerRet", "TimeTrackingRet", "ExpenseLineRet"};
  CollectNames(whole.DocumentElement(), names);
  for (const std::string& name : names) {
    const std::vector<vantrel::platform::XmlNode> expected = whole.GetElementsByTagName(name);
    vantrel::platform::XmlRecords records = reading.Records(name);
    Require(records.size() == expected.size());
    for (const vantrel::platform::XmlNode& element : expected) {
      const vantrel::platform::XmlNode record = records.Next();
      Require(record && record.Name() == element.Name() && record.Text() == element.Text());
    }
    Require(!records.Next());
    CheckQuickLooks(reading, name, expected);
  }
}

// The options letter of an upload's address.
std::string OptionsOf(std::string_view url) {
  const std::size_t at = url.find("&options=");
  Require(at != std::string_view::npos);
  const std::size_t start = at + 9;
  return std::string(url.substr(start, url.find('&', start) - start));
}

void CollectRiskyTexts(const vantrel::platform::XmlNode& node, std::vector<std::string>& out) {
  const std::vector<vantrel::platform::XmlNode> children = node.ChildElements();
  std::string children_text;  // the children's texts as the node's text joins them
  for (const vantrel::platform::XmlNode& child : children) {
    CollectRiskyTexts(child, out);
    const std::string text = child.Text();
    if (text.empty()) continue;
    if (!children_text.empty()) children_text += ' ';
    children_text += text;
  }
  // An aggregate's text is only its children's; a field may still hold
  // elements among its text, and is then written whole.
  if (!children.empty() && node.Text() == children_text) return;
  // As the script's US-ASCII stream writes it.
  std::string text = vantrel::platform::ToUsAscii(node.Text());
  if (text.find('|') != std::string::npos || text.find("\r\n") != std::string::npos) {
    out.push_back(std::move(text));
  }
}

// The texts of the response's time and expense records that hold a "|" or a
// CR LF: the lines that carry them may be refused.
std::vector<std::string> RiskyTexts(const std::string& response) {
  std::vector<std::string> texts;
  vantrel::platform::XmlDocument whole;
  if (!whole.LoadXml(response)) return texts;
  for (const char* name : {"TimeTrackingRet", "CheckRet", "BillRet"}) {
    for (const vantrel::platform::XmlNode& record : whole.GetElementsByTagName(name)) {
      CollectRiskyTexts(record, texts);
    }
  }
  return texts;
}

// True when `line` holds one of `texts` whole, or is a piece of a line that a
// CR LF of one of them broke: it ends with the text's first piece, starts
// with its last or is one between.
bool CarriesRiskyText(const std::string& line, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    if (line.find(text) != std::string::npos) return true;
    std::vector<std::string> pieces;
    for (std::size_t at = 0;;) {
      const std::size_t end = text.find("\r\n", at);
      pieces.push_back(text.substr(at, end - at));
      if (end == std::string::npos) break;
      at = end + 2;
    }
    if (pieces.size() < 2) continue;
    if (line.ends_with(pieces.front()) || line.starts_with(pieces.back())) return true;
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
      if (line == pieces[i]) return true;
    }
  }
  return false;
}

// The entries the site reads from a post with `letter`; nullopt when it
// refuses a line that carries one of `risky`, and aborts for any other
// refusal.
std::optional<long> ReadEntries(const std::string& letter, const std::string& body,
                                const std::vector<std::string>& risky) {
  if (letter == "H" || letter == "X" || letter == "B") {
    const vantrel::site::TxnLines lines =
        vantrel::site::ParseTxnLines(body, letter == "H" ? vantrel::site::TxnLineKind::kTime
                                                         : vantrel::site::TxnLineKind::kExpense);
    if (lines.error) {
      Require(CarriesRiskyText(lines.error->line_text, risky));
      return std::nullopt;
    }
    return static_cast<long>(lines.lines.size());
  }
  const vantrel::site::SqlScript script = vantrel::site::ParseSqlScript(body);
  Require(!script.error);
  return static_cast<long>(script.statements.size());
}

// Converts `response` and checks every post; returns all that was posted.
std::string Convert(const std::string& response, bool debug_mode) {
  using vantrel::modWizard;
  vantrel::testing::SinkRun run(response, /*keep_posts=*/true);
  run.ctl().DebugMode = debug_mode;
  // qbXML 2.0, as the sample company offers, and every last-sync date early
  // in 2006: records of the samples are new, older ones are skipped.
  modWizard().lngQBXMLVersion = 2;
  const vantrel::platform::DateTime last_sync = *vantrel::platform::DateTime::FromParts(2006, 1, 1);
  vantrel::LastSyncDates& dates = modWizard().last_sync;
  for (vantrel::platform::DateTime* date :
       {&dates.CustomerLastSyncDate, &dates.EmployeeLastSyncDate, &dates.GLAccountsLastSyncDate,
        &dates.TasksLastSyncDate, &dates.ClassLastSyncDate, &dates.VendorsLastSyncDate,
        &dates.TimeLastSyncDate, &dates.ExpenseLastSyncDate}) {
    *date = last_sync;
  }

  run.RunEveryConverter();

  Require(!run.ctl().run().mStopRun);
  const std::vector<std::string> risky = RiskyTexts(response);
  std::string posted;
  std::map<std::string, long> read;  // entries read, by entity letter
  std::set<std::string> refused;     // letters with a post the site refuses
  for (const vantrel::testing::SinkPost& post : run.log().posts) {
    for (unsigned char c : post.body) Require(c < 0x80);
    Require(post.body.empty() || post.body.ends_with("\r\n"));
    const std::string letter = OptionsOf(post.url);
    // Checks and bills post as X and B and count as the expenses, X.
    const std::string entity = letter == "B" ? "X" : letter;
    const std::optional<long> entries = ReadEntries(letter, post.body, risky);
    if (!entries) refused.insert(entity);
    read[entity] += entries.value_or(0);
    posted += post.body;
  }
  std::map<std::string, long> counted;
  for (const vantrel::EntityRow& entity : vantrel::Entities()) {
    const long count = run.counts()[entity.kind];
    if (count != 0) counted[std::string(entity.letter)] += count;
  }
  for (const std::string& letter : refused) {
    read.erase(letter);
    counted.erase(letter);
  }
  std::erase_if(read, [](const auto& entry) { return entry.second == 0; });
  Require(read == counted);
  return posted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string response(reinterpret_cast<const char*>(data), size);
  CheckReading(response);
  Require(Convert(response, /*debug_mode=*/false) == Convert(response, /*debug_mode=*/true));
  return 0;
}
