#pragma once

#include "keeper/KeeperProtocol.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>
#include <utility>

// The words the keeper's protocol spells its values with, one table a type.
namespace keeper::words {

using record::Cause;
using record::Happened;
using record::RequestPart;

constexpr std::array kSteps{std::pair{Request::Step::Start, "start"}, std::pair{Request::Step::Check, "check"},
                            std::pair{Request::Step::End, "end"}};

constexpr std::array kHappened{
    std::pair{Happened::Nothing, "nothing"}, std::pair{Happened::Read, "read"},
    std::pair{Happened::Saved, "saved"},     std::pair{Happened::Beaten, "beaten"},
    std::pair{Happened::Added, "added"},     std::pair{Happened::Unconfirmed, "unconfirmed"},
    std::pair{Happened::Failed, "failed"},
};

constexpr std::array kCauses{
    std::pair{Cause::None, "none"},
    std::pair{Cause::FolderMissing, "folder-missing"},
    std::pair{Cause::NotAFolder, "not-a-folder"},
    std::pair{Cause::FolderDenied, "folder-denied"},
    std::pair{Cause::NotInGroup, "not-in-group"},
    std::pair{Cause::GroupNotActive, "group-not-active"},
    std::pair{Cause::ShareNotMounted, "share-not-mounted"},
    std::pair{Cause::FolderUnreachable, "folder-unreachable"},
    std::pair{Cause::Unreadable, "unreadable"},
    std::pair{Cause::FolderInPlace, "folder-in-place"},
    std::pair{Cause::OtherInPlace, "other-in-place"},
    std::pair{Cause::Protected, "protected"},
    std::pair{Cause::WriteFailed, "write-failed"},
    std::pair{Cause::NotSynced, "not-synced"},
    std::pair{Cause::PendingKept, "pending-kept"},
    std::pair{Cause::LockBusy, "lock-busy"},
    std::pair{Cause::LockUnusable, "lock-unusable"},
    std::pair{Cause::BadRequest, "bad-request"},
    std::pair{Cause::NoAnswer, "no-answer"},
    std::pair{Cause::CutShort, "cut-short"},
    std::pair{Cause::KeeperMissing, "keeper-missing"},
    std::pair{Cause::KeeperFailed, "keeper-failed"},
    std::pair{Cause::RootRefused, "root-refused"},
    std::pair{Cause::RegisterOff, "register-off"},
    std::pair{Cause::RegisterFull, "register-full"},
};

constexpr std::array kRequestParts{
    std::pair{RequestPart::None, ""},          std::pair{RequestPart::Size, "size"},
    std::pair{RequestPart::Header, "header"},  std::pair{RequestPart::Fields, "fields"},
    std::pair{RequestPart::Step, "step"},      std::pair{RequestPart::Folder, "folder"},
    std::pair{RequestPart::Make, "make"},      std::pair{RequestPart::Wait, "wait"},
    std::pair{RequestPart::Save, "save"},      std::pair{RequestPart::Register, "register"},
    std::pair{RequestPart::Name, "name"},      std::pair{RequestPart::Score, "score"},
    std::pair{RequestPart::Wrong, "wrong"},    std::pair{RequestPart::Total, "total"},
};

template <typename Table> QByteArray nameOf(const Table &table, decltype(table[0].first) value)
{
    for (const auto &[v, name] : table)
        if (v == value)
            return name;
    return {};
}

template <typename Table> std::optional<decltype(std::declval<Table>()[0].first)> valueOf(const Table &table, QByteArrayView name)
{
    for (const auto &[v, n] : table)
        if (name == n)
            return v;
    return std::nullopt;
}

} // namespace keeper::words
