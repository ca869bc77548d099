#pragma once

#include <memory>
#include <string>

#include "app/BoardList.h"
#include "board/BoardMode.h"
#include "support/FakeCookieStore.h"

namespace tessel::testing {

// A board list over a fake cookie store, as start-up would load it.
struct TestBoards {
    static std::string UrlOf(const std::string& id) {
        return "http://bbs.example.jp/" + id + "/bbs.cgi";
    }

    CBBSData& Add(const std::string& id, BoardMode mode, const std::string& nickname = "") {
        auto board = std::make_unique<CBBSData>(store, clock);
        board->ID(id);
        board->Name(id + "の掲示板");
        board->NickName(nickname.empty() ? id : nickname);
        board->URL(UrlOf(id));
        board->Mode(mode);
        boards.Add(std::move(board));
        return *boards.Item(boards.Count());
    }

    // Puts a cookie value in the store without counting it as a write.
    void Seed(const std::string& id, const std::string& value) {
        store.InternetSetCookie(UrlOf(id), UrlOf(id),
                                value + "; expires=Sun, 04-Apr-2027 09:07:03 GMT");
        store.writes.clear();
    }

    std::optional<std::string> Value(const std::string& id) const {
        return store.ValueOf(UrlOf(id), UrlOf(id));
    }

    FakeCookieStore store;
    FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    BoardList boards;
};

}  // namespace tessel::testing
