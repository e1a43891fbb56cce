#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace kx {
namespace {

class DlLibrary final : public LoadedLibrary {
 public:
  explicit DlLibrary(void* handle) : handle_(handle) {}
  ~DlLibrary() override { dlclose(handle_); }
  void* Symbol(const std::string& name) override { return dlsym(handle_, name.c_str()); }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<LoadedLibrary> DlLibraryLoader::Load(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_unique<DlLibrary>(handle);
}

}  // namespace kx
