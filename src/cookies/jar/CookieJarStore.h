#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cookies/Clock.h"
#include "cookies/CookieCodec.h"
#include "cookies/CookieStore.h"
#include "cookies/CookieUrl.h"
#include "cookies/CookieWritePlan.h"
#include "cookies/SetCookieData.h"
#include "cookies/StoredCookie.h"
#include "cookies/jar/CookieJarDocument.h"

namespace tessel {

// The cookie store of curl, wget and the browser export tools, a Netscape cookies.txt file, as
// every platform keeps it: the jar's lines in memory and what they mean.
//
// Reads give what a browser would send (RFC 6265 §5.4). Writes set host-only cookies for the
// address's directory and change only the lines of the cookies written; names and values are
// kept in the codec's character set. Which stored cookie a write changes, and which it refuses to
// replace, is PlanCookieWrite's rule. A file that does not look like a cookies.txt jar (a
// database, a binary file, a text without a single jar line or the Netscape header) is neither
// read nor written.
//
// The file is the platform's part: a subclass loads it, keeps other writers out with a lock, and
// replaces it in one step. Every write applies to a document loaded under that lock.
class CookieJarStore : public CookieStore {
  public:
    const std::string& Path() const { return path_; }

    std::optional<std::string> InternetGetCookie(const std::string& url,
                                                 const std::string& name) final;
    bool InternetSetCookie(const std::string& url, const std::string& name,
                           const std::string& data) final;

    void Prefetch() final;

    // BeginWrites locks and reads the jar once; the cookies set until CommitWrites are checked
    // and applied in memory, and CommitWrites writes them in one replacement of the file.
    void ExpectWrites(std::size_t count) final { expectedWrites_ = count; }
    void BeginWrites() final;
    bool StageWrites() final;
    bool CommitWrites() final;
    void CancelWrites() final;

    // A record holds every line of a cookie of the name that reaches the address over http or
    // https, byte for byte, with its place in the file. Restoring puts those lines back in their
    // places, so that a file nothing else changed meanwhile is again byte for byte as recorded.
    std::optional<std::string> RecordCookie(const std::string& url, const std::string& name) final;
    bool RestoreCookie(const std::string& url, const std::string& name, const std::string& before,
                       const std::string& written) final;

  protected:
    CookieJarStore(std::string path, Clock& clock, std::unique_ptr<CookieCodec> codec);

    // The file. Load brings the document up to date with it (a missing file is an empty jar);
    // LockAndLoad first takes the lock that keeps other writers out until Unlock; Write replaces
    // the file with bytes in one step and then takes them, or forgets the document. Failures
    // leave their reason in LastFailure.
    virtual bool Load() = 0;
    virtual bool LockAndLoad() = 0;
    virtual bool Locked() const = 0;
    virtual void Unlock() = 0;
    virtual bool Write(std::string bytes) = 0;
    // The same in two steps: Stage writes the bytes (the pieces in turn) aside, Publish puts
    // them in place as Write does, Discard drops them. A file that cannot be written aside keeps
    // these defaults, which keep the bytes until Publish writes them.
    virtual bool Stage(std::span<const std::string_view> pieces) {
        stagedBytes_.clear();
        for (const std::string_view piece : pieces)
            stagedBytes_.append(piece);
        return true;
    }
    virtual bool Publish() { return Write(std::move(stagedBytes_)); }
    virtual void Discard() { stagedBytes_.clear(); }
    // The file's bytes as a large batch starts, which the bytes it stages will mostly begin with
    // (a batch that appends keeps them all): a file that can be written aside may start writing
    // them now, beside the batch. They stay unchanged in memory until FinishStagingAhead.
    virtual void StageAhead(std::string_view /*bytes*/) {}
    // Ends what StageAhead started and drops it, unless a stage took it since. Called before the
    // document it reads from goes, before a write in one step, and after each batch: the file
    // need not drop it on its own.
    virtual void FinishStagingAhead() {}

    bool HasDocument() const { return document_ != nullptr; }
    void ForgetDocument() { DropDocument(); }
    // The bytes read from the file become the document, unless they do not look like a jar that
    // may be rewritten. Empty bytes are a new jar.
    bool TakeFileBytes(std::string bytes);
    // The bytes just written are the document's: it stays, with nothing left to write.
    void KeepWrittenDocument();

  private:
    // Starts StageAhead when the writes expected and the document are large enough to repay it.
    void StageAheadIfWorth(std::size_t expectedWrites);
    // Every way the document goes: what is written ahead from it goes first.
    void DropDocument();
    void EndStagingAhead();

    struct Change {
        CookieUrl address;
        std::string path;         // the address's default path, which a new cookie gets
        std::string name, value;  // in the jar's character set
        std::int64_t expires = 0;
        bool remove = false;
    };

    // Reads a write into change_; false when it cannot be made (LastFailure says why).
    bool Prepare(const std::string& url, const std::string& name, const std::string& data);
    bool Apply(const Change& change);
    // ReadSetCookieData, the attributes' reading kept for the next call: a batch sets every
    // board's cookie with the same expiry.
    std::optional<SetCookieFields> ReadSetData(std::string_view data);
    bool Store();
    // The lines of the cookie a record holds, in file order, into recordedLines_.
    bool RecordedLines(const std::string& url, const std::string& name);
    std::optional<std::vector<std::string>> Record(const std::string& url, const std::string& name);
    bool Restore(const std::string& url, const std::string& name,
                 const std::vector<std::string>& before, const std::vector<std::string>& written);
    bool FailBatch();  // a write in a batch that could not begin
    // The cookies stored for address's host and the domains above it; only those called name
    // when a name is given (in the jar's character set). The answer stands until the next call.
    std::span<const StoredCookie> Candidates(const CookieUrl& address, std::string_view name);
    // The cookie entry holds, on line, into cookie.
    void ReadCookie(CookieJarDocument::LineIndex line, const CookieJarEntry& entry, bool named,
                    StoredCookie& cookie);
    // Brings Candidates' answer for a write just applied up to date with the document: the lines
    // it had, less those removed, re-read, with the line appended (if any) in its place.
    void KeepCandidatesAfterWrite(const Change& change,
                                  std::optional<CookieJarDocument::LineIndex> appended);
    // Encode for the name of a cookie, kept for the next call: a board's read, records and write
    // all name the same cookie. Null when it cannot be encoded (LastFailure says why).
    const std::string* EncodeName(const std::string& name);
    // What a write of name (in the jar's character set) does among cookies, Candidates' answer.
    CookieWritePlan Plan(const CookieUrl& address, std::string_view name,
                         std::span<const StoredCookie> cookies);
    std::optional<std::string> Encode(std::string_view text);
    // Encode into encoded, whose room is kept; false as Encode fails.
    bool Encode(std::string_view text, std::string& encoded);
    // Whether bytes are text of the jar's character set.
    bool Decodable(std::string_view bytes);
    // The codec's Decode, its answers for other than ASCII kept.
    const std::optional<std::string>& Decode(std::string_view bytes);
    // Whether the codec gives ASCII back as it is, both ways, as every character set a jar is
    // kept in does: then ASCII texts, nearly all that boards store, need not go through it.
    bool KeepsAscii();
    std::string CharsetName() const;
    std::int64_t Now();

    std::string path_;
    Clock& clock_;
    std::unique_ptr<CookieCodec> codec_;
    std::unique_ptr<CookieJarDocument> document_;
    CookieFailure undecodable_;  // why a value in another character set is not replaced
    bool inBatch_ = false;
    std::size_t expectedWrites_ = 0;        // by the batch about to begin
    bool stagingAhead_ = false;             // StageAhead was called, FinishStagingAhead not yet
    std::optional<std::int64_t> batchNow_;  // when the batch began
    bool batchStaged_ = false;              // the batch's bytes are written aside, to be published
    std::string stagedBytes_;
    CookieFailure batchFailure_;  // why the batch could not begin

    // A board's read, both its undo records and its write ask about the same cookie in turn: the
    // last answer is kept while the document is unchanged.
    struct CandidatesAnswer {
        std::uint64_t revision = 0;  // of the document asked; 0 for none
        std::string host, path, name;
        // The answer is the first count; the cookies after them keep their strings' room for the
        // next answer, so that asking about board after board allocates nothing.
        std::vector<StoredCookie> cookies;
        std::size_t count = 0;

        std::span<const StoredCookie> Cookies() const { return {cookies.data(), count}; }
        StoredCookie& Add() {
            if (count == cookies.size())
                cookies.emplace_back();
            return cookies[count++];
        }
    };
    CandidatesAnswer candidates_;
    std::string lastName_;
    std::string lastEncodedName_;
    bool nameEncoded_ = false;  // lastEncodedName_ holds lastName_ encoded
    std::optional<bool> keepsAscii_;
    std::string lastAttributes_;  // of the last data read, from its first ";"
    std::optional<std::int64_t> lastExpires_;
    bool attributesRead_ = false;  // lastAttributes_ read as lastExpires_
    // The codec's last few answers: the boards of a batch store few distinct values, and each is
    // encoded for the write and decoded again for the cookie it makes.
    class CodecAnswers {
      public:
        const std::optional<std::string>* Find(std::string_view text) const;
        const std::optional<std::string>& Keep(std::string_view text,
                                               std::optional<std::string> answer);

      private:
        struct Answer {
            std::string text;
            std::optional<std::string> answer;
        };
        std::array<Answer, 4> answers_;
        std::size_t used_ = 0, next_ = 0;
    };
    CodecAnswers encoded_, decoded_;
    std::optional<std::string> asciiDecoded_;
    // Room kept from one board to the next.
    Change change_;
    std::string formattedLine_;
    std::vector<CookieJarDocument::LineIndex> foundLines_, deadLines_, recordedLines_;
    std::vector<std::string_view> domains_, paths_;
    std::vector<const StoredCookie*> named_;
};

}  // namespace tessel
