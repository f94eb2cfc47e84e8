#include "convert/converter_stores.h"

namespace vantrel {

ConverterStores& converterStores() {
  thread_local ConverterStores stores;
  return stores;
}

}  // namespace vantrel
