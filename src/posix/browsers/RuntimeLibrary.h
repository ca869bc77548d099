#pragma once

namespace tessel {

// A shared library opened when first needed rather than at every start (dlopen), as browsers load
// their keyring and crypto libraries: most of tessel's commands need neither, and the dynamic
// loader's work for them was most of a start. Symbols are looked up in the library and in the
// libraries it depends on.
class RuntimeLibrary {
  public:
    explicit RuntimeLibrary(const char* soname);
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }

    // Sets function to the symbol called name; returns whether it was found. function is left
    // null when the library or the symbol is missing.
    template <typename Function>
    bool Find(const char* name, Function*& function) const {
        function = reinterpret_cast<Function*>(Address(name));
        return function != nullptr;
    }

  private:
    void* Address(const char* name) const;

    void* handle_;  // kept open for the life of the process
};

}  // namespace tessel
