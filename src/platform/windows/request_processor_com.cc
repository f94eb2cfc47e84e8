// The QuickBooks SDK's request processor as a late-bound COM client.
#include "platform/com_error.h"
#include "platform/windows/windows_platform.h"

#include "platform/windows/com_util.h"

namespace vantrel::platform {

namespace {

constexpr long kErrCannotCreate = 429;

class ComRequestProcessor : public RequestProcessor {
 public:
  explicit ComRequestProcessor(IDispatch* object) : object_(object) {}
  ~ComRequestProcessor() override { object_->Release(); }

  void OpenConnection(const std::string& app_id, const std::string& app_name) override {
    win::Variant id(app_id), name(app_name), result;
    win::Invoke(object_, L"OpenConnection", DISPATCH_METHOD, {id.get(), name.get()}, result.get());
  }

  std::string BeginSession(const std::string& company_file, int file_mode) override {
    win::Variant file(company_file), mode(static_cast<long>(file_mode)), result;
    win::Invoke(object_, L"BeginSession", DISPATCH_METHOD, {file.get(), mode.get()}, result.get());
    return win::VariantText(result.value()).value_or("");
  }

  std::string GetCurrentCompanyFileName(const std::string& ticket) override {
    return CallWithTicket(L"GetCurrentCompanyFileName", ticket);
  }

  std::optional<std::vector<std::string>> QBXMLVersionsForSession(
      const std::string& ticket) override {
    win::Variant t(ticket), result;
    win::Invoke(object_, L"QBXMLVersionsForSession", DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                {t.get()}, result.get());
    return win::VariantStrings(result.value());
  }

  std::string ProcessRequest(const std::string& ticket, const std::string& request) override {
    win::Variant t(ticket), text(request), result;
    win::Invoke(object_, L"ProcessRequest", DISPATCH_METHOD, {t.get(), text.get()}, result.get());
    return win::VariantText(result.value()).value_or("");
  }

  void EndSession(const std::string& ticket) override {
    win::Variant t(ticket), result;
    win::Invoke(object_, L"EndSession", DISPATCH_METHOD, {t.get()}, result.get());
  }

  void CloseConnection() override {
    win::Variant result;
    win::Invoke(object_, L"CloseConnection", DISPATCH_METHOD, {}, result.get());
  }

 private:
  std::string CallWithTicket(const wchar_t* name, const std::string& ticket) {
    win::Variant t(ticket), result;
    win::Invoke(object_, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {t.get()}, result.get());
    return win::VariantText(result.value()).value_or("");
  }

  IDispatch* object_;
};

}  // namespace

std::unique_ptr<RequestProcessor> NewComRequestProcessor(const wchar_t* prog_id) {
  CLSID clsid{};
  IDispatch* object = nullptr;
  if (FAILED(CLSIDFromProgID(prog_id, &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    throw ComError(kErrCannotCreate, "ActiveX component can't create object");
  }
  return std::make_unique<ComRequestProcessor>(object);
}

}  // namespace vantrel::platform
