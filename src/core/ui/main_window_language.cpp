#include "ui/main_window.h"

namespace sb {

void MainWindow::Image2_Click(int index) {
    const bool english = index != 0;
    applyCaptions(*this, kMainWindowCaptions, english);
    // On the last parameter tab and on the preview the confirm button creates
    // the site, and says so; elsewhere it confirms the tab's parameters.
    if (selectedTab >= state_.Ultimo_Tab_Parametri && state_.Ultimo_Tab_Parametri > 0) {
        setText("Pulsante_Conferma", -1, kConfirmSite.in(english));
    }
    // On the first tab the row label names the site's folder, not an image.
    if (selectedTab == 1) setText("Text4", 1, kSiteRowLabel.in(english));
    // A placeholder follows the language; what the user typed stays.
    const std::pair<const char*, Caption> placeholders[] = {{"Titolo_Sito", kTitlePlaceholder},
                                                            {"Des_Sito", kDescriptionPlaceholder}};
    for (const auto& [field, placeholder] : placeholders) {
        if (text(field) == placeholder.in(!english)) setText(field, -1, placeholder.in(english));
    }
    for (int i = 0; i < kTabCount; ++i) tabs[static_cast<std::size_t>(i)] = kTabCaptions[i].in(english);
    touch();
}

}  // namespace sb
