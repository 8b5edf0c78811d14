#pragma once

#include "PluginProcessor.h"
#include "PresetManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace hoa::gui
{
// The preset bar: a combo box listing INIT, the factory presets and the user's presets,
// between two invisible buttons that step to the previous and next preset. It applies
// the picked preset and remembers its name in the processor's variables tree, and
// carries the editor's load, save and delete actions.
class MenuBox : public juce::Component
{
public:
    struct PresetEntry
    {
        bool isFactory = false;
        bool isInit = false;
        juce::String name;
        juce::String path;
        const char* data = nullptr;
        int dataSize = 0;
    };

    // The combo box and its pop-up: a flat dark list with light text.
    class MenuLAF : public juce::LookAndFeel_V4
    {
    public:
        void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
        void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                                bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                                const juce::String& shortcutKeyText, const juce::Drawable* icon,
                                const juce::Colour* textColour) override;
        juce::Font getPopupMenuFont() override;
        void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                           int buttonW, int buttonH, juce::ComboBox&) override;
        juce::Font getComboBoxFont (juce::ComboBox&) override;
        void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

        // Where an item's parts go, relative to the item's area.
        static juce::Rectangle<int> textArea (juce::Rectangle<int> item);
        static juce::Rectangle<int> highlightArea (juce::Rectangle<int> item);
        static juce::Rectangle<int> separatorLine (juce::Rectangle<int> item);
        static juce::Rectangle<int> tickDot (juce::Rectangle<int> text, int itemHeight);

        // The combo box text's height for a box of that height.
        static float comboFontHeight (int boxHeight);

        // "Helvetica" where the system has it; otherwise Liberation Sans, which has its
        // metrics; otherwise the default sans-serif.
        static juce::String comboTypefaceName();
    };

    // The step buttons: invisible click areas.
    class ButtonLAF : public juce::LookAndFeel_V4
    {
    public:
        void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour&, bool, bool) override;
    };

    explicit MenuBox (PluginProcessor&);
    ~MenuBox() override;

    // Rebuilds the list from the factory presets and the preset folder; nothing selected.
    void refreshMenu();

    void load();
    void save();
    void deletePreset();

    // The item ID of the first non-factory entry whose file name is fileName, or -1.
    int getXMLByName (const juce::String& fileName) const;

    void resized() override;

    // The completions of the load and save choosers and of the delete alert.
    void loadChosenFile (const juce::File& chosen);
    void saveChosenFile (const juce::File& chosen);
    void deleteConfirmed (int result, const juce::File& file);

    // The delete alert for a preset file: warning icon, "Delete" and "Cancel".
    static juce::MessageBoxOptions deleteAlertOptions (const juce::File& file);

    juce::ComboBox& getPresetBox() noexcept { return presetBox; }
    juce::Button& getPreviousButton() noexcept { return previousButton; }
    juce::Button& getNextButton() noexcept { return nextButton; }
    const juce::Array<PresetEntry>& getPresets() const noexcept { return presets; }
    const juce::String& getPresetFolderPath() const noexcept { return presetFolderPath; }

private:
    void selectionChanged();
    void launchChooser (const juce::String& title, int chooserFlags, void (MenuBox::*completion) (const juce::File&));
    void step (int direction);
    juce::ValueTree& variables() const { return presetManager.variables(); }

    PluginProcessor& audioProcessor;
    juce::ComboBox presetBox { juce::String() };
    juce::TextButton previousButton;
    juce::TextButton nextButton;
    MenuLAF menuLAF;
    ButtonLAF buttonLAF;
    hoa::PresetManager presetManager;
    juce::String presetFolderPath;
    juce::String chooserFolderPath;
    juce::Array<juce::File> presetFiles;
    juce::Array<PresetEntry> presets;
    std::unique_ptr<juce::FileChooser> fileChooser;
    int lastSelectedId = -1000;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuBox)
};
} // namespace hoa::gui
