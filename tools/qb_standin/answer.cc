// Answering qbXML requests from a company file.
#include <cctype>
#include <cstring>
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

// Answers one known query with the matching records, or status 1 without any.
void AnswerQuery(std::string& out, const Company::Impl& company, const KnownQuery& query,
                 const pugi::xml_node& request) {
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
