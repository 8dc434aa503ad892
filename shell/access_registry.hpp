// TAccessRegistry: a registry accessor with a root key, a current key and
// path, and an access mask that every OpenKey asks for.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TAccessRegistry {
 public:
  TAccessRegistry() = default;
  ~TAccessRegistry() { CloseKey(); }
  TAccessRegistry(const TAccessRegistry&) = delete;
  TAccessRegistry& operator=(const TAccessRegistry&) = delete;

  // Rights asked for by OpenKey; callers may assign another mask.
  DWORD Access = KEY_ALL_ACCESS;
  bool LazyWrite = true;

  HKEY RootKey() const { return root_; }
  // Closes the current key, then switches the root.
  void SetRootKey(HKEY root);
  HKEY CurrentKey() const { return current_; }
  const std::string& CurrentPath() const { return currentPath_; }

  // A path starting with "\" is taken from the root, any other from the
  // current key when one is open. On success the key becomes current.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyWithAccess(DWORD access, const std::string& key, bool canCreate);
  void CloseKey();

  // A string value of the current key; empty when missing. Throws
  // ERegistryException for a value that is not a string.
  std::string ReadString(const std::string& name);
  // Throws ERegistryException when the value cannot be written.
  void WriteString(const std::string& name, const std::string& value);
  // A REG_DWORD value; throws ERegistryException like WriteString.
  void WriteInteger(const std::string& name, DWORD value);
  // Removes a value of the current key; false when there was none to remove.
  bool DeleteValue(const std::string& name);
  // Deletes a key with all its subkeys and values (same path rules as
  // OpenKey); false when it could not. A path that is empty or ends in "\"
  // is refused: it would name a parent key.
  bool DeleteKey(const std::string& key);

 private:
  HKEY root_ = HKEY_CURRENT_USER;
  HKEY current_ = nullptr;
  std::string currentPath_;
};
