#pragma once
// Loading a shared library and looking up an entry point in it.
#include <memory>
#include <string>

namespace kx {

class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;  // unloads the library
  // The address of an exported function, or nullptr.
  virtual void* Symbol(const std::string& name) = 0;
};

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // nullptr when the library cannot be loaded.
  virtual std::unique_ptr<LoadedLibrary> Load(const std::string& path) = 0;
};

class DlLibraryLoader final : public LibraryLoader {
 public:
  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override;
};

}  // namespace kx
