// The registry accessor.
#include "shell/access_registry.hpp"

#include <vector>

#include "shell/wide_text.hpp"

void TAccessRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

bool TAccessRegistry::OpenKey(const std::string& key, bool canCreate) {
  return OpenKeyWithAccess(Access, key, canCreate);
}

bool TAccessRegistry::OpenKeyWithAccess(DWORD access, const std::string& key, bool canCreate) {
  const bool relative = key.empty() || key[0] != '\\';
  const std::string path = relative ? key : key.substr(1);
  const HKEY base = relative && current_ ? current_ : root_;
  HKEY opened = nullptr;
  LONG rc;
  if (canCreate && !path.empty())
    rc = RegCreateKeyExW(base, Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                         nullptr, &opened, nullptr);
  else
    rc = RegOpenKeyExW(base, Wide(path).c_str(), 0, access, &opened);
  if (rc != ERROR_SUCCESS) return false;
  const std::string newPath = relative && current_ ? currentPath_ + "\\" + path : path;
  CloseKey();
  current_ = opened;
  currentPath_ = newPath;
  return true;
}

void TAccessRegistry::CloseKey() {
  if (!current_) return;
  if (!LazyWrite) RegFlushKey(current_);
  RegCloseKey(current_);
  current_ = nullptr;
  currentPath_.clear();
}

std::string TAccessRegistry::ReadString(const std::string& name) {
  DWORD type = 0, size = 0;
  const std::wstring wname = Wide(name);
  if (!current_ ||
      RegQueryValueExW(current_, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      size == 0)
    return "";
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw ERegistryException("Invalid data type for '" + name + "'");
  std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, 0);
  if (RegQueryValueExW(current_, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                       &size) != ERROR_SUCCESS)
    return "";
  return Narrow(buf.data());
}

void TAccessRegistry::WriteString(const std::string& name, const std::string& value) {
  const std::wstring data = Wide(value);
  if (!current_ ||
      RegSetValueExW(current_, Wide(name).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'");
}

void TAccessRegistry::WriteInteger(const std::string& name, DWORD value) {
  if (!current_ ||
      RegSetValueExW(current_, Wide(name).c_str(), 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&value), sizeof value) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'");
}

bool TAccessRegistry::DeleteValue(const std::string& name) {
  return current_ && RegDeleteValueW(current_, Wide(name).c_str()) == ERROR_SUCCESS;
}

bool TAccessRegistry::DeleteKey(const std::string& key) {
  const bool relative = key.empty() || key[0] != '\\';
  const std::string path = relative ? key : key.substr(1);
  // "" or "...\" would name the parent (or the base key itself): deleting it
  // would take every sibling along.
  if (path.empty() || path.back() == '\\') return false;
  const HKEY base = relative && current_ ? current_ : root_;
  return RegDeleteTreeW(base, Wide(path).c_str()) == ERROR_SUCCESS;
}
