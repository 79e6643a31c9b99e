// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/status.h"

#include <cerrno>
#include <system_error>

namespace varnolite {

QString systemMessage(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

Status Status::fromErrno(int error, const QString& context)
{
    ErrorCode code = ErrorCode::IoError;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        code = ErrorCode::NotFound;
        break;
    case EACCES:
    case EPERM:
        code = ErrorCode::AccessDenied;
        break;
    case EROFS:
        code = ErrorCode::ReadOnly;
        break;
    case EEXIST:
    case ENOTEMPTY:
        code = ErrorCode::AlreadyExists;
        break;
    default:
        break;
    }
    const QString text = systemMessage(error);
    return {code, context.isEmpty() ? text : context + QLatin1String(": ") + text, error};
}

} // namespace varnolite
