// Answering qbXML requests from a company file.
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_error.h"
#include "platform/text_util.h"
#include "qb_standin/company_impl.h"
#include "qb_standin/qb_standin.h"

namespace vantrel::qb {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr const char* kIndent = "  ";
constexpr const char* kErrorSource = "QBXMLRP2.RequestProcessor";

enum class QueryKind {
  kList,              // honours ActiveStatus
  kTransaction,       // no active status, no line items
  kLinedTransaction,  // honours IncludeLineItems
};

struct KnownQuery {
  std::string_view request;
  std::string_view record;
  QueryKind kind;
};

constexpr KnownQuery kKnownQueries[] = {
    {"CustomerQueryRq", "CustomerRet", QueryKind::kList},
    {"EmployeeQueryRq", "EmployeeRet", QueryKind::kList},
    {"VendorQueryRq", "VendorRet", QueryKind::kList},
    {"StandardTermsQueryRq", "StandardTermsRet", QueryKind::kList},
    {"AccountQueryRq", "AccountRet", QueryKind::kList},
    {"ItemServiceQueryRq", "ItemServiceRet", QueryKind::kList},
    {"ItemNonInventoryQueryRq", "ItemNonInventoryRet", QueryKind::kList},
    {"ItemOtherChargeQueryRq", "ItemOtherChargeRet", QueryKind::kList},
    {"PayrollItemWageQueryRq", "PayrollItemWageRet", QueryKind::kList},
    {"ClassQueryRq", "ClassRet", QueryKind::kList},
    {"SalesRepQueryRq", "SalesRepRet", QueryKind::kList},
    {"SalesTaxCodeQueryRq", "SalesTaxCodeRet", QueryKind::kList},
    {"TimeTrackingQueryRq", "TimeTrackingRet", QueryKind::kTransaction},
    {"CheckQueryRq", "CheckRet", QueryKind::kLinedTransaction},
    {"BillQueryRq", "BillRet", QueryKind::kLinedTransaction},
};

// The line elements of a check or bill.
constexpr std::string_view kLineElements[] = {"ExpenseLineRet", "ItemLineRet", "ItemGroupLineRet"};

const KnownQuery* FindQuery(std::string_view name) {
  for (const KnownQuery& query : kKnownQueries) {
    if (query.request == name) return &query;
  }
  return nullptr;
}

// Writes pugixml's output with every line feed turned into CR LF.
class CrLfWriter : public pugi::xml_writer {
 public:
  explicit CrLfWriter(std::string* out) : out_(out) {}
  void write(const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    const char* end = p + size;
    while (p < end) {
      const void* found = std::memchr(p, '\n', static_cast<size_t>(end - p));
      if (found == nullptr) {
        out_->append(p, static_cast<size_t>(end - p));
        break;
      }
      const char* nl = static_cast<const char*>(found);
      out_->append(p, static_cast<size_t>(nl - p));
      out_->append(kCrLf);
      p = nl + 1;
    }
  }

 private:
  std::string* out_;
};

void AppendAttributeValue(std::string& out, std::string_view value) {
  for (char c : value) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

enum class ActiveFilter { kAll, kActiveOnly, kInactiveOnly };

ActiveFilter ReadActiveFilter(const pugi::xml_node& query) {
  pugi::xml_node status = query.child("ActiveStatus");
  if (!status) return ActiveFilter::kActiveOnly;  // QuickBooks' default
  std::string_view text = platform::TrimWhitespace(status.child_value());
  if (text == "All") return ActiveFilter::kAll;
  if (text == "InactiveOnly") return ActiveFilter::kInactiveOnly;
  return ActiveFilter::kActiveOnly;
}

// A record without IsActive counts as active.
bool IsActive(const pugi::xml_node& record) {
  pugi::xml_node active = record.child("IsActive");
  if (!active) return true;
  std::string_view text = platform::TrimWhitespace(active.child_value());
  return !(text == "false" || text == "0");
}

bool Selected(ActiveFilter filter, const pugi::xml_node& record) {
  switch (filter) {
    case ActiveFilter::kAll:
      return true;
    case ActiveFilter::kActiveOnly:
      return IsActive(record);
    case ActiveFilter::kInactiveOnly:
      return !IsActive(record);
  }
  return true;
}

bool IsLineElement(std::string_view name) {
  for (std::string_view line : kLineElements) {
    if (line == name) return true;
  }
  return false;
}

// The response element's name: "Rq" at the end becomes "Rs".
std::string ResponseName(std::string_view request_name) {
  std::string name(request_name);
  if (name.size() >= 2 && name.compare(name.size() - 2, 2, "Rq") == 0) {
    name.replace(name.size() - 2, 2, "Rs");
  } else {
    name += "Rs";
  }
  return name;
}

void AppendResponseOpening(std::string& out, std::string_view name, const pugi::xml_node& request,
                           std::string_view code, std::string_view severity,
                           std::string_view message, bool empty) {
  out += kIndent;
  out += kIndent;
  out += '<';
  out += name;
  if (pugi::xml_attribute id = request.attribute("requestID")) {
    out += " requestID=\"";
    AppendAttributeValue(out, id.value());
    out += '"';
  }
  out += " statusCode=\"";
  out += code;
  out += "\" statusSeverity=\"";
  out += severity;
  out += "\" statusMessage=\"";
  AppendAttributeValue(out, message);
  out += empty ? "\" />" : "\">";
  out += kCrLf;
}

void AppendResponseClosing(std::string& out, std::string_view name) {
  out += kIndent;
  out += kIndent;
  out += "</";
  out += name;
  out += '>';
  out += kCrLf;
}

// ---- Records kept as text ----

// The text of the first `name` element inside `record`; nullopt without one.
std::optional<std::string_view> ChildText(std::string_view record, std::string_view name) {
  const std::string open = "<" + std::string(name) + ">";
  const size_t at = record.find(open);
  if (at == std::string_view::npos) return std::nullopt;
  const size_t begin = at + open.size();
  const size_t end = record.find('<', begin);
  return record.substr(begin, end == std::string_view::npos ? 0 : end - begin);
}

bool TextIsActive(std::string_view record) {
  const std::optional<std::string_view> active = ChildText(record, "IsActive");
  if (!active) return true;
  const std::string_view text = platform::TrimWhitespace(*active);
  return !(text == "false" || text == "0");
}

bool TextSelected(ActiveFilter filter, std::string_view record) {
  switch (filter) {
    case ActiveFilter::kAll:
      return true;
    case ActiveFilter::kActiveOnly:
      return TextIsActive(record);
    case ActiveFilter::kInactiveOnly:
      return !TextIsActive(record);
  }
  return true;
}

// Appends `text` with every line feed not after a CR made CR LF.
void AppendCrLf(std::string& out, std::string_view text) {
  size_t from = 0;
  for (size_t nl = text.find('\n'); nl != std::string_view::npos; nl = text.find('\n', from)) {
    out.append(text.data() + from, nl - from);
    if (nl == 0 || text[nl - 1] != '\r') out += '\r';
    out += '\n';
    from = nl + 1;
  }
  out.append(text.data() + from, text.size() - from);
}

// `record` without its line elements (each with the blanks before it).
std::string WithoutLines(std::string_view record) {
  std::string out;
  size_t from = 0;
  for (;;) {
    size_t at = std::string_view::npos;
    std::string_view line;
    for (std::string_view name : kLineElements) {
      for (size_t p = record.find(name, from); p != std::string_view::npos;
           p = record.find(name, p + 1)) {
        const size_t after = p + name.size();
        if (p > 0 && record[p - 1] == '<' && after < record.size() &&
            (record[after] == '>' || record[after] == ' ' || record[after] == '/')) {
          if (p - 1 < at) {
            at = p - 1;
            line = name;
          }
          break;
        }
      }
    }
    if (at == std::string_view::npos) break;
    size_t end = record.find('>', at);
    if (end != std::string_view::npos && record[end - 1] != '/') {
      const std::string close = "</" + std::string(line) + ">";
      const size_t closing = record.find(close, end);
      end = closing == std::string_view::npos ? record.size() - 1 : closing + close.size() - 1;
    }
    size_t cut = at;
    while (cut > from && (record[cut - 1] == ' ' || record[cut - 1] == '\t' ||
                          record[cut - 1] == '\r' || record[cut - 1] == '\n')) {
      --cut;
    }
    out.append(record.substr(from, cut - from));
    from = end == std::string_view::npos ? record.size() : end + 1;
  }
  out.append(record.substr(from));
  return out;
}

// Answers one known query from a company kept as text: the selected records
// copied as the file holds them, each on lines of its own.
void AnswerQueryFromText(std::string& out, const Company::Impl& company, const KnownQuery& query,
                         const pugi::xml_node& request) {
  const std::string name = ResponseName(query.request);
  std::vector<std::string_view> selected;
  std::size_t bytes = 0;
  auto it = company.spans.find(query.record);
  if (it != company.spans.end()) {
    const ActiveFilter filter =
        query.kind == QueryKind::kList ? ReadActiveFilter(request) : ActiveFilter::kAll;
    selected.reserve(it->second.size());
    for (const platform::XmlSpan& span : it->second) {
      const std::string_view record(company.text.data() + span.begin, span.end - span.begin);
      if (!TextSelected(filter, record)) continue;
      selected.push_back(record);
      bytes += record.size() + 16;
    }
  }
  if (selected.empty()) {
    AppendResponseOpening(out, name, request, "1", "Info",
                          "A query request did not find a matching object in QuickBooks", true);
    return;
  }
  AppendResponseOpening(out, name, request, "0", "Info", "Status OK", false);
  // One growth for the records, with room for the CRs added to their lines.
  out.reserve(out.size() + bytes + bytes / 16 + 256);
  const bool strip_lines =
      query.kind == QueryKind::kLinedTransaction &&
      platform::TrimWhitespace(request.child("IncludeLineItems").child_value()) != "true";
  for (const std::string_view record : selected) {
    out += kIndent;
    out += kIndent;
    out += kIndent;
    if (strip_lines) {
      AppendCrLf(out, WithoutLines(record));
    } else {
      AppendCrLf(out, record);
    }
    out += kCrLf;
  }
  AppendResponseClosing(out, name);
}

// ---- Records of a parsed document ----

// Answers one known query with the matching records, or status 1 without any.
void AnswerQuery(std::string& out, const Company::Impl& company, const KnownQuery& query,
                 const pugi::xml_node& request) {
  if (!company.whole) return AnswerQueryFromText(out, company, query, request);
  const std::string name = ResponseName(query.request);
  std::vector<pugi::xml_node> selected;
  auto it = company.records.find(query.record);
  if (it != company.records.end()) {
    ActiveFilter filter =
        query.kind == QueryKind::kList ? ReadActiveFilter(request) : ActiveFilter::kAll;
    selected.reserve(it->second.size());
    for (const pugi::xml_node& record : it->second) {
      if (Selected(filter, record)) selected.push_back(record);
    }
  }
  if (selected.empty()) {
    AppendResponseOpening(out, name, request, "1", "Info",
                          "A query request did not find a matching object in QuickBooks", true);
    return;
  }
  AppendResponseOpening(out, name, request, "0", "Info", "Status OK", false);
  const bool strip_lines =
      query.kind == QueryKind::kLinedTransaction &&
      platform::TrimWhitespace(request.child("IncludeLineItems").child_value()) != "true";
  CrLfWriter writer(&out);
  pugi::xml_document scratch;
  for (const pugi::xml_node& record : selected) {
    if (!strip_lines) {
      record.print(writer, kIndent, pugi::format_indent, pugi::encoding_utf8, 3);
      continue;
    }
    scratch.reset();
    pugi::xml_node copy = scratch.append_copy(record);
    for (pugi::xml_node child = copy.first_child(); child;) {
      pugi::xml_node next = child.next_sibling();
      if (IsLineElement(child.name())) copy.remove_child(child);
      child = next;
    }
    copy.print(writer, kIndent, pugi::format_indent, pugi::encoding_utf8, 3);
  }
  AppendResponseClosing(out, name);
}

[[noreturn]] void ThrowParseError() {
  throw platform::ComError(kErrXmlParse, std::string(kXmlParseMessage), kErrorSource);
}

}  // namespace

std::string AnswerRequest(const Company& company, std::string_view request_text) {
  pugi::xml_document request;
  pugi::xml_parse_result parsed = request.load_buffer(request_text.data(), request_text.size(),
                                                      kParseOptions, pugi::encoding_utf8);
  if (!parsed || !HasSingleRoot(request)) ThrowParseError();
  pugi::xml_node root = request.document_element();
  if (std::string_view(root.name()) != "QBXML") ThrowParseError();
  pugi::xml_node messages = root.child("QBXMLMsgsRq");
  if (!messages) ThrowParseError();
  const bool stop_on_error =
      platform::TrimWhitespace(messages.attribute("onError").value()) == "stopOnError";

  std::string out;
  out += "<?xml version=\"1.0\" ?>";
  out += kCrLf;
  out += "<QBXML>";
  out += kCrLf;
  out += kIndent;
  out += "<QBXMLMsgsRs>";
  out += kCrLf;
  for (pugi::xml_node query : messages.children()) {
    if (query.type() != pugi::node_element) continue;
    if (const KnownQuery* known = FindQuery(query.name())) {
      AnswerQuery(out, company.impl(), *known, query);
      continue;
    }
    const std::string name = ResponseName(query.name());
    AppendResponseOpening(
        out, name, query, "3", "Error",
        "The request " + std::string(query.name()) + " is not supported by this QuickBooks.", true);
    if (stop_on_error) break;
  }
  out += kIndent;
  out += "</QBXMLMsgsRs>";
  out += kCrLf;
  out += "</QBXML>";
  out += kCrLf;
  return out;
}

}  // namespace vantrel::qb
