// SPDX-License-Identifier: GPL-3.0-or-later
#include "services.h"

#include <QFile>
#include <algorithm>
#include <vector>

namespace platform {

namespace {
// Oldest first.
std::vector<const Installed *> installed;
} // namespace

QByteArray ProgramFolder::nativePath() const
{
    return QFile::encodeName(path());
}

const Services &services()
{
    static const Services none;
    return installed.empty() ? none : installed.back()->set();
}

Installed::Installed(const Services &set) : m_set(set)
{
    installed.push_back(this);
}

Installed::~Installed()
{
    std::erase(installed, this);
}

} // namespace platform
