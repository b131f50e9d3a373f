#pragma once
// The production services: message boxes, file dialogs, the desktop and the tune player.
#include "gui/services/services.h"

namespace cw {

std::unique_ptr<MessageService> createMessageBoxService();
std::unique_ptr<FileDialogService> createFileDialogService();
std::unique_ptr<Shell> createDesktopShell();
std::unique_ptr<RandomSource> createSystemRandom();
std::unique_ptr<PlayerFactory> createSoundPlayerFactory();

} // namespace cw
