#pragma once

#include <optional>
#include <string>

class QWidget;

namespace quorvel {

// The one way the program asks for a folder, so tests can answer it. nullopt: cancelled.
class IFolderChooser {
public:
    virtual ~IFolderChooser() = default;
    virtual std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& title) = 0;
};

// A folders-only chooser that opens at the top of the file system with nothing preselected.
class QtFolderChooser : public IFolderChooser {
public:
    std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& title) override;
};

} // namespace quorvel
