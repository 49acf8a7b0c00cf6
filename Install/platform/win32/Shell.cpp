// Shell services: folders by CSIDL, shell-folder enumeration and shortcuts over
// COM, the Recycle Bin through SHFileOperationW.
#include "platform/Shell.h"

#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/Win32Util.h"

namespace platform {

using win32::FailWith;
using win32::Narrow;
using win32::WideName;

namespace {

// Owns one reference to a COM interface.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** out() { return &p_; }
  void** outVoid() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// Owns an item ID list allocated by the shell.
class ItemIdList {
 public:
  ItemIdList() = default;
  ~ItemIdList() { CoTaskMemFree(p_); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  LPITEMIDLIST get() const { return p_; }
  LPITEMIDLIST* out() { return &p_; }

 private:
  LPITEMIDLIST p_ = nullptr;
};

// Starts COM on this thread the first time it is needed. A thread already in
// another apartment (RPC_E_CHANGED_MODE) can use COM as it is.
void EnsureCom() {
  thread_local bool started = false;
  if (!started) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    started = true;
  }
}

int Csidl(KnownFolder folder) {
  switch (folder) {
    case KnownFolder::ProgramFiles:
      return CSIDL_PROGRAM_FILES;
    case KnownFolder::CommonDocuments:
      return CSIDL_COMMON_DOCUMENTS;
    case KnownFolder::Documents:
      return CSIDL_PERSONAL;
    case KnownFolder::RoamingAppData:
      return CSIDL_APPDATA;
    case KnownFolder::StartMenuPrograms:
      return CSIDL_PROGRAMS;
    case KnownFolder::Windows:
      return CSIDL_WINDOWS;
    case KnownFolder::Profile:
      return CSIDL_PROFILE;
    case KnownFolder::Desktop:
      return CSIDL_DESKTOPDIRECTORY;
    case KnownFolder::System:
      return CSIDL_SYSTEM;
    case KnownFolder::SystemX86:
      return CSIDL_SYSTEMX86;
    case KnownFolder::CommonAppData:
      return CSIDL_COMMON_APPDATA;
    case KnownFolder::CommonFiles:
      return CSIDL_PROGRAM_FILES_COMMON;
    case KnownFolder::CommonFilesX86:
      return CSIDL_PROGRAM_FILES_COMMONX86;
    case KnownFolder::LocalAppData:
      return CSIDL_LOCAL_APPDATA;
    case KnownFolder::Startup:
      return CSIDL_STARTUP;
    case KnownFolder::CommonStartup:
      return CSIDL_COMMON_STARTUP;
  }
  return CSIDL_PERSONAL;
}

// Records a failed COM call, as its Windows error code when it wraps one.
bool FailWithHresult(HRESULT hr) {
  return FailWith(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr));
}

// The absolute form of a link path: IPersistFile needs one.
std::optional<std::wstring> LinkFileName(const std::string& linkPath) {
  if (linkPath.empty()) {
    FailWith(ERROR_INVALID_NAME);
    return std::nullopt;
  }
  const std::string full = FullPathOf(linkPath);
  if (full.empty()) return std::nullopt;
  return WideName(full);
}

}  // namespace

std::string KnownFolderPath(KnownFolder folder) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, Csidl(folder), nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  std::wstring text(path);
  if (text.size() > 3 && text.back() == L'\\') text.pop_back();
  return Narrow(text);
}

std::vector<std::string> ShellSubfolderNames(KnownFolder folder) {
  std::vector<std::string> names;
  EnsureCom();
  ItemIdList folderId;
  ComRef<IShellFolder> desktop;
  ComRef<IShellFolder> shellFolder;
  ComRef<IEnumIDList> items;
  if (FAILED(SHGetFolderLocation(nullptr, Csidl(folder), nullptr, 0, folderId.out())) ||
      FAILED(SHGetDesktopFolder(desktop.out())) ||
      FAILED(desktop->BindToObject(folderId.get(), nullptr, IID_IShellFolder, shellFolder.outVoid()))) {
    return names;
  }
  // S_FALSE with no enumerator means there is nothing to list.
  if (shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.out()) != S_OK || items.get() == nullptr) return names;
  for (;;) {
    ItemIdList child;
    if (items->Next(1, child.out(), nullptr) != S_OK) break;
    STRRET name;
    wchar_t* text = nullptr;
    if (SUCCEEDED(shellFolder->GetDisplayNameOf(child.get(), SHGDN_INFOLDER, &name)) &&
        SUCCEEDED(StrRetToStrW(&name, child.get(), &text))) {
      names.push_back(Narrow(text));
      CoTaskMemFree(text);
    }
  }
  return names;
}

bool CreateShortcut(const std::string& linkPath, const ShortcutInfo& info) {
  const auto wlink = LinkFileName(linkPath);
  const auto wtarget = WideName(info.targetPath);
  const auto wdir = WideName(info.workingDir);
  if (!wlink || !wtarget || !wdir) return false;
  EnsureCom();
  ComRef<IShellLinkW> link;
  ComRef<IPersistFile> file;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.outVoid());
  if (SUCCEEDED(hr)) hr = link->SetPath(wtarget->c_str());
  if (SUCCEEDED(hr)) hr = link->SetWorkingDirectory(wdir->c_str());
  if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, file.outVoid());
  if (SUCCEEDED(hr)) hr = file->Save(wlink->c_str(), TRUE);
  return SUCCEEDED(hr) || FailWithHresult(hr);
}

std::optional<ShortcutInfo> ReadShortcut(const std::string& linkPath) {
  const auto wlink = LinkFileName(linkPath);
  if (!wlink) return std::nullopt;
  EnsureCom();
  ComRef<IShellLinkW> link;
  ComRef<IPersistFile> file;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.outVoid());
  if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, file.outVoid());
  if (SUCCEEDED(hr)) hr = file->Load(wlink->c_str(), STGM_READ);
  if (FAILED(hr)) {
    FailWithHresult(hr);
    return std::nullopt;
  }
  // A link to something that is not a file has no path: S_FALSE and an empty buffer.
  std::vector<wchar_t> buffer(32768, L'\0');
  ShortcutInfo info;
  if (link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, 0) == S_OK) {
    info.targetPath = Narrow(buffer.data());
  }
  buffer.assign(buffer.size(), L'\0');
  if (SUCCEEDED(link->GetWorkingDirectory(buffer.data(), static_cast<int>(buffer.size())))) {
    info.workingDir = Narrow(buffer.data());
  }
  return info;
}

bool MoveToRecycleBin(const std::string& path) {
  // The shell expands wildcards in the list of names, and Windows names cannot
  // hold them: refuse, rather than delete whatever they match.
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return FailWith(ERROR_INVALID_NAME);
  const auto wfull = WideName(FullPathOf(path));
  if (!wfull || wfull->empty()) return false;
  std::wstring full = *wfull;
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  if (PathIsRootW(full.c_str())) return FailWith(ERROR_ACCESS_DENIED);  // never a whole drive
  if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES) return win32::FailWithLastError();

  std::wstring from = full;
  from.push_back(L'\0');  // the list ends with an empty name; c_str() adds the second NUL
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  const int result = SHFileOperationW(&op);
  if (result != 0) return FailWith(static_cast<DWORD>(result));
  if (op.fAnyOperationsAborted) return FailWith(ERROR_CANCELLED);
  if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) return FailWith(ERROR_ACCESS_DENIED);
  return true;
}

bool ShellOpen(const std::string& target, const std::string& parameters) {
  const auto wtarget = WideName(target);
  const auto wparameters = WideName(parameters);
  if (target.empty() || !wtarget || !wparameters) return false;
  EnsureCom();
  const HINSTANCE result = ShellExecuteW(nullptr, L"open", wtarget->c_str(),
                                         parameters.empty() ? nullptr : wparameters->c_str(), nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace platform
