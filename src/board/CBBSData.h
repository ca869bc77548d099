#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cookies/Clock.h"
#include "cookies/CookieFailure.h"
#include "cookies/CookieStore.h"

namespace tessel {

// One board's profile: its identity from the board list and the reader's preferences, which live
// in the board script's own cookie in the browser's cookie store. The cookie is named by the
// board's URL; its value is a list of fields joined by ",":
//
//   0 PostName  1 Mail  2 HomePage  3 Password   (text, escaped)
//   4 ViewCount  5 ViewOrder  6 NoReadView  7 NoReadPoint  8 DownloadCount   (integers)
//   9 NoReadPoint_R   (integer, Quill boards only)
//
// Ferno-BBS boards have exactly fields 0 to 8, Quill boards 0 to 9, Harbor boards no layout.
class CBBSData {
  public:
    CBBSData(CookieStore& store, Clock& clock) : store_(store), clock_(clock) {}

    const std::string& ID() const { return m_ID; }
    void ID(std::string NewValue) { m_ID = std::move(NewValue); }
    const std::string& Name() const { return m_Name; }
    void Name(std::string NewValue) { m_Name = std::move(NewValue); }
    const std::string& NickName() const { return m_NickName; }
    void NickName(std::string NewValue) { m_NickName = std::move(NewValue); }
    const std::string& URL() const { return m_URL; }
    void URL(std::string NewValue) {
        m_URL = std::move(NewValue);
        if (state_)
            state_->cookieAddress = false;
    }
    std::int32_t Mode() const { return m_Mode; }
    void Mode(std::int32_t NewValue) { m_Mode = NewValue; }
    std::int32_t NoReadPoint() const { return m_NoReadPoint; }
    void NoReadPoint(std::int32_t NewValue) { m_NoReadPoint = NewValue; }
    std::int32_t NoReadPoint_R() const { return m_NoReadPoint_R; }
    void NoReadPoint_R(std::int32_t NewValue) { m_NoReadPoint_R = NewValue; }
    const std::string& PostName() const { return State().m_PostName; }
    void PostName(std::string NewValue) { State().m_PostName = std::move(NewValue); }
    const std::string& Mail() const { return State().m_Mail; }
    void Mail(std::string NewValue) { State().m_Mail = std::move(NewValue); }
    const std::string& HomePage() const { return State().m_HomePage; }
    void HomePage(std::string NewValue) { State().m_HomePage = std::move(NewValue); }
    const std::string& Password() const { return State().m_Password; }
    void Password(std::string NewValue) { State().m_Password = std::move(NewValue); }
    std::int32_t ViewCount() const { return m_ViewCount; }
    void ViewCount(std::int32_t NewValue) { m_ViewCount = NewValue; }
    std::int32_t DownloadCount() const { return m_DownloadCount; }
    void DownloadCount(std::int32_t NewValue) { m_DownloadCount = NewValue; }
    std::int32_t ViewOrder() const { return m_ViewOrder; }
    void ViewOrder(std::int32_t NewValue) { m_ViewOrder = NewValue; }
    std::int32_t NoReadView() const { return m_NoReadView; }
    void NoReadView(std::int32_t NewValue) { m_NoReadView = NewValue; }
    std::int32_t CookieExpirationDate() const { return m_CookieExpirationDate; }
    void CookieExpirationDate(std::int32_t NewValue) { m_CookieExpirationDate = NewValue; }

    // Reads the board's cookie into the preference members. Returns false, with no member
    // changed, when the store has no usable cookie for the board. A Harbor board reads as true
    // and changes nothing.
    bool GetCookie();

    // Writes the preference members as the board's cookie, expiring CookieExpirationDate days
    // from now. Returns false, with the store untouched, when the store refuses the cookie (too
    // long, a character its character set lacks, ...), when the board has no cookie layout
    // (Harbor), or when the cookie would be misread or sent elsewhere: an address that is not
    // http(s) or that a browser would send to another host, control characters in a text.
    bool SetCookie();

    // Why the last GetCookie or SetCookie returned false (kNone after true). A read of a board
    // with nothing stored yet gives kNoCookie.
    const CookieFailure& LastFailure() const { return *State().lastFailure; }

  private:
    bool ParseCookie(const std::string& value);
    // The cookie's value, without its expiry, appended to value.
    void AppendCookie(std::string& value) const;
    // The first text preference holding text (the address when none does).
    CookieField FieldHolding(std::string_view text) const;

    // The text preferences and the last failure, made the first time one is set: a registry of
    // tens of thousands of boards mostly never touches a cookie, and these would double the size
    // of every board.
    struct CookieState {
        std::string m_PostName;
        std::string m_Mail;
        std::string m_HomePage;
        std::string m_Password;
        // The failures a batch meets on every board (none, no cookie yet, no layout) are shared
        // by all boards; only another is the board's own, so that a board keeps no failure of
        // its own unless it failed.
        const CookieFailure* lastFailure = &kNoFailure;
        std::unique_ptr<CookieFailure> ownFailure;
        // m_URL is known to be a cookie address: a board's read and write check it once.
        bool cookieAddress = false;
    };
    // IsCookieAddress(m_URL), remembered while m_URL stays.
    bool CookieAddress();
    static const CookieFailure kNoFailure;
    static const CookieFailure kNoCookieYet;
    static const CookieFailure kKeepsSettings;
    // Makes failure, one with details, the last one.
    void KeepFailure(CookieFailure failure);
    const CookieState& State() const {
        static const CookieState kUnset;
        return state_ ? *state_ : kUnset;
    }
    CookieState& State() {
        if (!state_)
            state_ = std::make_unique<CookieState>();
        return *state_;
    }

    CookieStore& store_;
    Clock& clock_;
    std::unique_ptr<CookieState> state_;

    std::string m_ID;
    std::string m_Name;
    std::string m_NickName;
    std::string m_URL;
    std::int32_t m_Mode = 0;
    std::int32_t m_NoReadPoint = 0;
    std::int32_t m_NoReadPoint_R = 0;
    std::int32_t m_ViewCount = 0;
    std::int32_t m_DownloadCount = 0;
    std::int32_t m_ViewOrder = 0;
    std::int32_t m_NoReadView = 0;
    std::int32_t m_CookieExpirationDate = 120;
};

}  // namespace tessel
