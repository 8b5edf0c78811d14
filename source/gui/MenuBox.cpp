#include "MenuBox.h"
#include "PresetLibrary.h"

namespace hoa::gui
{
MenuBox::MenuBox (PluginProcessor& p)
    : audioProcessor (p),
      presetManager (p.treeState, p.variableTree, Globals::productName)
{
    menuLAF.setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xff121212));
    menuLAF.setColour (juce::PopupMenu::textColourId, juce::Colours::whitesmoke);
    menuLAF.setColour (juce::PopupMenu::headerTextColourId, juce::Colours::whitesmoke.withAlpha (0.6f));
    menuLAF.setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colours::white.withAlpha (0.14f));
    menuLAF.setColour (juce::PopupMenu::highlightedTextColourId, juce::Colours::white);

    const auto defaultFolder = presets::defaultFolder();
    const auto stored = variables()[TreeItems::presetFolder].toString();
    presetFolderPath = stored.isNotEmpty() ? stored : defaultFolder.getFullPathName();

    if (! defaultFolder.isDirectory())
        defaultFolder.createDirectory();

    // A folder restored from a saved state is used while this window is open; the tree
    // itself always names this machine's folder.
    if (variables().isValid())
        variables().setProperty (TreeItems::presetFolder, defaultFolder.getFullPathName(), nullptr);

    const auto defaultPreset = defaultFolder.getChildFile ("Default.xml");
    if (! defaultPreset.existsAsFile())
        presetManager.savePreset (defaultPreset);

    chooserFolderPath = presetFolderPath;
    refreshMenu();

    presetBox.setJustificationType (juce::Justification::centred);
    for (auto id : { juce::ComboBox::backgroundColourId, juce::ComboBox::outlineColourId, juce::ComboBox::buttonColourId,
                     juce::ComboBox::arrowColourId, juce::ComboBox::focusedOutlineColourId })
        presetBox.setColour (id, juce::Colours::transparentBlack);
    presetBox.setColour (juce::ComboBox::textColourId, juce::Colours::whitesmoke);
    presetBox.setLookAndFeel (&menuLAF);
    presetBox.onChange = [this] { selectionChanged(); };
    addAndMakeVisible (presetBox);

    for (auto* button : { &previousButton, &nextButton })
    {
        for (auto id : { juce::TextButton::buttonColourId, juce::TextButton::buttonOnColourId,
                         juce::TextButton::textColourOffId, juce::TextButton::textColourOnId })
            button->setColour (id, juce::Colours::transparentBlack);
        button->setLookAndFeel (&buttonLAF);
        addAndMakeVisible (*button);
    }
    previousButton.onClick = [this] { step (-1); };
    nextButton.onClick = [this] { step (1); };

    // The remembered preset is shown, not applied: the host has restored the parameters.
    if (variables().isValid())
    {
        const auto current = variables()[TreeItems::currentPreset].toString();
        if (current.isNotEmpty())
        {
            for (int i = 0; i < presets.size(); ++i)
            {
                if (presets.getReference (i).name == current)
                {
                    lastSelectedId = i + 1;
                    presetBox.setSelectedId (i + 1, juce::dontSendNotification);
                    break;
                }
            }
        }
    }
}

MenuBox::~MenuBox()
{
    presetBox.setLookAndFeel (nullptr);
    previousButton.setLookAndFeel (nullptr);
    nextButton.setLookAndFeel (nullptr);
    fileChooser.reset();
}

void MenuBox::refreshMenu()
{
    presets.clear();
    presetFiles.clear();
    presetBox.clear();

    auto* root = presetBox.getRootMenu();

    PresetEntry init;
    init.isInit = true;
    init.name = "INIT";
    presets.add (init);
    root->addItem (1, "INIT");
    root->addSeparator();

    juce::PopupMenu factoryMenu, userMenu;

    for (const auto& factory : presets::factoryPresets())
    {
        PresetEntry entry;
        entry.isFactory = true;
        entry.name = factory.name;
        entry.data = factory.data;
        entry.dataSize = factory.size;
        presets.add (entry);
        factoryMenu.addItem (presets.size(), entry.name);
    }

    presetFiles = presets::userPresets (juce::File::isAbsolutePath (presetFolderPath) ? juce::File (presetFolderPath) : juce::File());

    for (const auto& file : presetFiles)
    {
        PresetEntry entry;
        entry.name = file.getFileNameWithoutExtension();
        entry.path = file.getFullPathName();
        presets.add (entry);
        userMenu.addItem (presets.size(), entry.name);
    }

    if (factoryMenu.getNumItems() > 0)
        root->addSubMenu ("Factory", factoryMenu);
    root->addSubMenu ("User", userMenu);
}

void MenuBox::selectionChanged()
{
    const auto id = presetBox.getSelectedId();
    if (id < 1 || id > presets.size() || id == lastSelectedId)
        return;

    lastSelectedId = id;
    const auto entry = presets[id - 1];

    if (entry.isInit)
        presetManager.applyDefaults();
    else if (entry.isFactory)
        presetManager.loadEmbeddedPreset (entry.data, entry.dataSize);
    else
        presetManager.loadPreset (entry.path);

    if (variables().isValid())
        variables().setProperty (TreeItems::currentPreset, entry.name, nullptr);
}

void MenuBox::step (int direction)
{
    const auto count = presetBox.getNumItems();
    if (count == 0)
    {
        presetBox.setSelectedId (0);
        return;
    }

    const auto index = presetBox.getSelectedItemIndex();
    const auto next = direction > 0 ? (index < count - 1 ? index + 1 : 0)
                                    : (index > 0 ? index - 1 : count - 1);
    presetBox.setSelectedItemIndex (next, juce::sendNotificationAsync);
}

int MenuBox::getXMLByName (const juce::String& fileName) const
{
    for (int i = 0; i < presets.size(); ++i)
    {
        const auto& entry = presets.getReference (i);
        if (entry.isFactory)
            continue;

        const auto name = juce::File::isAbsolutePath (entry.path) ? juce::File (entry.path).getFileName() : juce::String();
        if (name == fileName)
            return i + 1;
    }
    return -1;
}

void MenuBox::launchChooser (const juce::String& title, int chooserFlags, void (MenuBox::*completion) (const juce::File&))
{
    fileChooser = std::make_unique<juce::FileChooser> (title, juce::File (chooserFolderPath), "*.xml", true, false);
    fileChooser->launchAsync (chooserFlags, [safe = juce::Component::SafePointer<MenuBox> (this), completion] (const juce::FileChooser& chooser)
                              {
                                  if (safe != nullptr)
                                      (safe.getComponent()->*completion) (chooser.getResult());
                              });
}

void MenuBox::load()
{
    launchChooser ("Load preset...", juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                   &MenuBox::loadChosenFile);
}

void MenuBox::loadChosenFile (const juce::File& chosen)
{
    if (chosen == juce::File() || ! chosen.exists())
    {
        refreshMenu();
        return;
    }

    presetManager.loadPreset (chosen.getFullPathName());
    refreshMenu();

    const auto id = getXMLByName (chosen.getFileName());
    if (id != -1)
        presetBox.setSelectedId (id, juce::sendNotificationAsync);
}

void MenuBox::save()
{
    // JUCE's own browser, used where no native dialog exists, needs canSelectFiles to save at all.
    launchChooser ("Save preset as...", juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles,
                   &MenuBox::saveChosenFile);
}

void MenuBox::saveChosenFile (const juce::File& chosen)
{
    if (chosen == juce::File())
    {
        refreshMenu();
        return;
    }

    const auto file = chosen.getFileName().endsWith (".xml") ? chosen : chosen.withFileExtension (".xml");
    presetManager.savePreset (file);
    refreshMenu();

    const auto id = getXMLByName (file.getFileName());
    if (id != -1)
        presetBox.setSelectedId (id, juce::sendNotificationAsync);
}

void MenuBox::deletePreset()
{
    const auto id = presetBox.getSelectedId();
    if (id < 1 || id > presets.size() || presets.getReference (id - 1).isFactory)
        return;

    const auto& path = presets.getReference (id - 1).path;
    const auto file = juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();
    if (! file.existsAsFile() || file.getFileNameWithoutExtension() == "Default")
        return;

    // The alert may outlive this window; it then deletes nothing.
    juce::AlertWindow::showAsync (deleteAlertOptions (file), [safe = juce::Component::SafePointer<MenuBox> (this), file] (int result)
                                  {
                                      if (safe != nullptr)
                                          safe->deleteConfirmed (result, file);
                                  });
}

juce::MessageBoxOptions MenuBox::deleteAlertOptions (const juce::File& file)
{
    return juce::MessageBoxOptions()
        .withIconType (juce::MessageBoxIconType::WarningIcon)
        .withTitle ("Delete Preset")
        .withMessage ("Delete \"" + file.getFileNameWithoutExtension() + "\"?")
        .withButton ("Delete")
        .withButton ("Cancel");
}

void MenuBox::deleteConfirmed (int result, const juce::File& file)
{
    if (result != 1)
        return;

    if (file.existsAsFile())
        file.deleteFile();

    refreshMenu();
    lastSelectedId = -1000;
    if (presetBox.getNumItems() > 0)
        presetBox.setSelectedItemIndex (0, juce::sendNotificationAsync);
}

void MenuBox::resized()
{
    const auto w = getWidth(), h = getHeight();
    const auto side = juce::roundToInt (0.14 * w);
    previousButton.setBounds (0, 0, side, h);
    presetBox.setBounds (previousButton.getRight(), 0, juce::roundToInt (0.72 * w), h);
    nextButton.setBounds (presetBox.getRight(), 0, side, h);
}
} // namespace hoa::gui
