// The HTTP service on Windows: WinHTTP's asynchronous API. Its callbacks come
// on WinHTTP's own threads and only gather the answer; the answer is handed
// to the loop's thread by Post (or taken by Wait at start-up). WinHTTP keeps
// the session's connection alive between requests.
#include "platform/Http.h"

// windows.h first: the other two need its types.
#include <windows.h>

#include <wincrypt.h>
#include <winhttp.h>

#include <algorithm>
#include <mutex>

#include "platform/Loop.h"
#include "platform/win32/SystemText.h"

namespace {

// WinHTTP's own error codes are in its module's messages, not the system's.
std::string WinHttpErrorText(DWORD code) {
  wchar_t *text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
      ::GetModuleHandleW(L"winhttp.dll"), code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  std::wstring message(text ? std::wstring(text, length) : std::wstring());
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L'.' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? SystemErrorText(code) : Utf8OfWide(message);
}

// "Basic " and the base64 of "user:password".
std::wstring BasicAuthorization(const std::string &user, const std::string &password) {
  const std::string pair = user + ":" + password;
  DWORD length = 0;
  const auto *bytes = reinterpret_cast<const BYTE *>(pair.data());
  const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
  ::CryptBinaryToStringW(bytes, static_cast<DWORD>(pair.size()), flags, nullptr, &length);
  std::wstring encoded(length, L'\0');
  ::CryptBinaryToStringW(bytes, static_cast<DWORD>(pair.size()), flags, encoded.data(), &length);
  encoded.resize(length);
  return L"Authorization: Basic " + encoded + L"\r\n";
}

constexpr uint32_t TimeoutMs = static_cast<uint32_t>(IHttpSession::RequestTimeoutSeconds * 1000);

class TWinHttpSession;

// One request, shared by the session and WinHTTP's callbacks; it lives until
// WinHTTP has closed its handle (Self is dropped then).
struct TRequest {
  std::mutex Lock;
  HINTERNET Handle = nullptr;
  HANDLE Ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  THttpResponse Response;
  bool Over = false;      // the answer is complete or failed
  bool Abandoned = false; // the session has gone: nothing is handed over
  ILoop *Loop = nullptr;
  TWinHttpSession *Owner = nullptr; // loop's thread only
  std::shared_ptr<TRequest> Self;
  char Buffer[16384];

  ~TRequest() { ::CloseHandle(Ended); }
};

class TWinHttpSession : public IHttpSession {
public:
  TWinHttpSession(ILoop &loop, HINTERNET session, HINTERNET connection, const THttpTarget &target)
      : FLoop(loop), FSession(session), FConnection(connection) {
    if (!target.User.empty() || !target.Password.empty())
      FAuthorization = BasicAuthorization(target.User, target.Password);
  }

  ~TWinHttpSession() override {
    Abandon();
    ::WinHttpCloseHandle(FConnection);
    ::WinHttpCloseHandle(FSession);
  }

  bool Get(const std::string &path, THttpDone done) override {
    if (FRequest) return false;
    auto request = std::make_shared<TRequest>();
    request->Loop = &FLoop;
    request->Owner = this;
    request->Handle = ::WinHttpOpenRequest(FConnection, L"GET", WideOfUtf8(path).c_str(), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    if (!request->Handle) return false;
    request->Self = request;
    ::WinHttpSetStatusCallback(request->Handle, OnStatus, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS,
                               0);
    FRequest = request;
    FDone = std::move(done);
    // WinHTTP's own timeouts are not kept by every implementation (Wine's
    // asynchronous requests wait for ever): the session keeps its own.
    FDeadline = ::GetTickCount64() + TimeoutMs;
    FTimer = FLoop.SetOneShotTimer(TimeoutMs, [this] {
      FTimer = 0;
      TimeOut();
    });
    const wchar_t *headers =
        FAuthorization.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : FAuthorization.c_str();
    const DWORD headersLength = FAuthorization.empty() ? 0 : DWORD(-1);
    if (!::WinHttpSendRequest(request->Handle, headers, headersLength, WINHTTP_NO_REQUEST_DATA, 0,
                              0, reinterpret_cast<DWORD_PTR>(request.get()))) {
      const DWORD error = ::GetLastError();
      End(*request, WinHttpErrorText(error));
    }
    return true;
  }

  bool Busy() const override { return FRequest != nullptr; }

  bool Wait(double seconds) override {
    if (!FRequest) return true;
    const ULONGLONG now = ::GetTickCount64();
    const ULONGLONG wanted = seconds > 0 ? ULONGLONG(seconds * 1000) : 0;
    const ULONGLONG toDeadline = FDeadline > now ? FDeadline - now : 0;
    if (::WaitForSingleObject(FRequest->Ended, DWORD(std::min(wanted, toDeadline))) !=
        WAIT_OBJECT_0) {
      if (wanted < toDeadline) return false;
      TimeOut();
    }
    Deliver(FRequest);
    return true;
  }

  // Hands the ended request's answer to `done`, once: from the work the
  // callback posted, or from Wait, whichever comes first.
  void Deliver(const std::shared_ptr<TRequest> &request) {
    if (request != FRequest) return;
    THttpResponse response;
    {
      std::lock_guard<std::mutex> hold(request->Lock);
      response = std::move(request->Response);
    }
    Close(*request);
    FRequest.reset();
    if (FTimer) FLoop.KillTimer(FTimer);
    FTimer = 0;
    THttpDone done = std::move(FDone);
    FDone = nullptr;
    if (done) done(response);
  }

private:
  static void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void *info,
                                DWORD length) {
    auto *request = reinterpret_cast<TRequest *>(context);
    if (!request) return;
    if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
      // The last callback: the request may go now, once the lock is let go.
      std::shared_ptr<TRequest> self;
      std::lock_guard<std::mutex> hold(request->Lock);
      self = std::move(request->Self);
      return;
    }
    if (request->Over) return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      if (!::WinHttpReceiveResponse(request->Handle, nullptr)) Fail(*request, ::GetLastError());
      break;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
      DWORD code = 0, size = sizeof code;
      ::WinHttpQueryHeaders(request->Handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX);
      {
        std::lock_guard<std::mutex> hold(request->Lock);
        request->Response.Status = static_cast<long>(code);
      }
      ReadMore(*request);
      break;
    }
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      if (length == 0) {
        End(*request, "");
        break;
      }
      if (Append(*request, static_cast<const char *>(info), length))
        ReadMore(*request);
      else
        End(*request, "the answer is larger than " + std::to_string(MaxBody) + " bytes");
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      Fail(*request, static_cast<WINHTTP_ASYNC_RESULT *>(info)->dwError);
      break;
    default: break;
    }
  }

  // Keeps `length` more bytes of the body; false when it grows too large.
  static bool Append(TRequest &request, const char *bytes, DWORD length) {
    std::lock_guard<std::mutex> hold(request.Lock);
    if (request.Response.Body.size() + length > MaxBody) return false;
    request.Response.Body.append(bytes, length);
    return true;
  }

  static void ReadMore(TRequest &request) {
    if (!::WinHttpReadData(request.Handle, request.Buffer, sizeof request.Buffer, nullptr))
      Fail(request, ::GetLastError());
  }

  static void Fail(TRequest &request, DWORD error) { End(request, WinHttpErrorText(error)); }

  // The request is over: with `error` when it failed. Wakes Wait, and hands
  // the answer to the loop's thread unless the session has gone.
  static void End(TRequest &request, const std::string &error) {
    std::shared_ptr<TRequest> keep;
    {
      std::lock_guard<std::mutex> hold(request.Lock);
      if (request.Over) return;
      request.Over = true;
      if (!error.empty()) {
        request.Response.Status = 0;
        request.Response.Body.clear();
        request.Response.Error = error;
      }
      if (!request.Abandoned) keep = request.Self;
      ::SetEvent(request.Ended);
    }
    if (keep)
      keep->Loop->Post([keep] {
        if (keep->Owner) keep->Owner->Deliver(keep);
      });
  }

  // Closes the request's handle; WinHTTP's last callback frees it.
  static void Close(TRequest &request) {
    request.Owner = nullptr;
    HINTERNET handle = nullptr;
    {
      std::lock_guard<std::mutex> hold(request.Lock);
      request.Abandoned = true;
      handle = request.Handle;
    }
    if (handle) ::WinHttpCloseHandle(handle);
  }

  // The request in flight has taken too long: it fails as timed out.
  void TimeOut() {
    if (FRequest) End(*FRequest, WinHttpErrorText(ERROR_WINHTTP_TIMEOUT));
  }

  void Abandon() {
    if (FRequest) Close(*FRequest);
    FRequest.reset();
    FDone = nullptr;
    if (FTimer) FLoop.KillTimer(FTimer);
    FTimer = 0;
  }

  ILoop &FLoop;
  HINTERNET FSession;
  HINTERNET FConnection;
  std::wstring FAuthorization;
  std::shared_ptr<TRequest> FRequest;
  THttpDone FDone;
  ULONGLONG FDeadline = 0;
  uintptr_t FTimer = 0;
};

class TWinHttpClient : public IHttpClient {
public:
  explicit TWinHttpClient(ILoop &loop) : FLoop(loop) {}

  std::unique_ptr<IHttpSession> Open(const THttpTarget &target, std::string &error) override {
    // A player's web interface is reached directly, whatever proxy is set.
    HINTERNET session =
        ::WinHttpOpen(L"cuestrip", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                      WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!session) {
      error = WinHttpErrorText(::GetLastError());
      return nullptr;
    }
    const int timeoutMs = static_cast<int>(IHttpSession::RequestTimeoutSeconds * 1000);
    ::WinHttpSetTimeouts(session, timeoutMs, timeoutMs, timeoutMs, timeoutMs);
    HINTERNET connection =
        ::WinHttpConnect(session, WideOfUtf8(target.Host).c_str(), target.Port, 0);
    if (!connection) {
      error = WinHttpErrorText(::GetLastError());
      ::WinHttpCloseHandle(session);
      return nullptr;
    }
    return std::make_unique<TWinHttpSession>(FLoop, session, connection, target);
  }

private:
  ILoop &FLoop;
};

} // namespace

std::unique_ptr<IHttpClient> CreatePlatformHttp(ILoop &loop) {
  return std::make_unique<TWinHttpClient>(loop);
}
