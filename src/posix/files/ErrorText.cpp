#include "posix/files/ErrorText.h"

#include <cerrno>

namespace tessel {

std::string ErrorText(std::error_code error) {
    if (error.category() != std::generic_category() && error.category() != std::system_category())
        return error.message();
    switch (error.value()) {
        case EACCES:
        case EPERM:
            return "権限がありません";
        case EROFS:
            return "読み取り専用のファイルシステムです";
        case ENOSPC:
        case EDQUOT:
            return "ディスクの空きが足りません";
        case EFBIG:
            return "ファイルが大きすぎます";
        case EISDIR:
            return "フォルダです";
        case ENOENT:
            return "見つかりません";
        case ENOTDIR:
            return "途中にフォルダでないものがあります";
        case ELOOP:
            return "シンボリックリンクが多すぎるか循環しています";
        case ENAMETOOLONG:
            return "名前が長すぎます";
        case EINVAL:
            return "普通のファイルではありません";
        case EIO:
            return "読み書きの途中でエラーが起きました";
        default:
            return error.message();
    }
}

}  // namespace tessel
