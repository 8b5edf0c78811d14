#include "MenuBox.h"
#include "common/FontCompat.h"
#include "widgets/Fonts.h"

namespace hoa::gui
{
juce::Rectangle<int> MenuBox::MenuLAF::textArea (juce::Rectangle<int> item)
{
    return { item.getX() + 15, item.getY() + 1, juce::jmax (0, item.getWidth() - 30), juce::jmax (0, item.getHeight() - 2) };
}

juce::Rectangle<int> MenuBox::MenuLAF::highlightArea (juce::Rectangle<int> item)
{
    return { item.getX() + 3, item.getY() + 1, juce::jmax (0, item.getWidth() - 6), juce::jmax (0, item.getHeight() - 2) };
}

juce::Rectangle<int> MenuBox::MenuLAF::separatorLine (juce::Rectangle<int> item)
{
    return { item.getX() + 8, item.getY() + item.getHeight() / 2, juce::jmax (0, item.getWidth() - 16), 1 };
}

juce::Rectangle<int> MenuBox::MenuLAF::tickDot (juce::Rectangle<int> text, int itemHeight)
{
    const auto side = juce::jmin (text.getWidth(), itemHeight);
    return { text.getX() + (side - 5) / 2, text.getY() + (text.getHeight() - 5) / 2, 5, 5 };
}

float MenuBox::MenuLAF::comboFontHeight (int boxHeight)
{
    return juce::jmax (0.4f * (float) boxHeight, 12.0f);
}

juce::String MenuBox::MenuLAF::comboTypefaceName()
{
    // JUCE matches family names exactly and Linux has no "Helvetica".
    static const juce::String name = []
    {
        const auto installed = juce::Font::findAllTypefaceNames();
        for (const auto* candidate : { "Helvetica", "Liberation Sans" })
            if (installed.contains (candidate))
                return juce::String (candidate);
        return juce::Font::getDefaultSansSerifFontName();
    }();
    return name;
}

void MenuBox::MenuLAF::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x14));
    g.drawRect (0, 0, width, height, 1);
}

void MenuBox::MenuLAF::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                                          bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                                          const juce::String& shortcutKeyText, const juce::Drawable*, const juce::Colour* textColour)
{
    if (isSeparator)
    {
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x1f));
        g.fillRect (separatorLine (area));
        return;
    }

    auto r = textArea (area);
    const auto h = area.getHeight();

    if (isHighlighted && isActive)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId));
        g.fillRoundedRectangle (highlightArea (area).toFloat(), 3.0f);
        g.setColour (findColour (juce::PopupMenu::highlightedTextColourId));
    }
    else
    {
        const auto colour = textColour != nullptr ? *textColour : findColour (juce::PopupMenu::textColourId);
        g.setColour (colour.withMultipliedAlpha (isActive ? 1.0f : 0.4f));
    }

    const auto font = getPopupMenuFont();
    g.setFont (font);

    if (isTicked)
    {
        const auto side = juce::jmin (r.getWidth(), h);
        g.fillEllipse (tickDot (r, h).toFloat());
        r.setLeft (r.getX() + side);
    }

    if (hasSubMenu)
    {
        const auto k = 0.5f * (float) h;
        const auto a = juce::jmin (r.getWidth(), (int) k);
        const auto x0 = (float) (r.getRight() - a);
        const auto c = (float) area.getY() + 0.5f * (float) h;

        juce::Path arrow;
        arrow.startNewSubPath (x0, c - 0.25f * k);
        arrow.lineTo (x0 + 0.4f * k, c);
        arrow.lineTo (x0, c + 0.25f * k);
        g.strokePath (arrow, juce::PathStrokeType (2.0f));
        r.setWidth (r.getWidth() - a);
    }

    g.drawFittedText (text, r, juce::Justification::centredLeft, 1, 0.0f);

    if (shortcutKeyText.isNotEmpty())
    {
        g.setFont (font.withHeight (12.0f));
        g.drawText (shortcutKeyText, r, juce::Justification::centredRight, true);
    }
}

juce::Font MenuBox::MenuLAF::getPopupMenuFont()
{
    return kestrel::gui_utils::Fonts::regular (15.0f, 0.15f);
}

void MenuBox::MenuLAF::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int, juce::ComboBox& box)
{
    const auto corner = box.findParentComponentOfClass<juce::ChoicePropertyComponent>() != nullptr ? 0.0f : 3.0f;
    const juce::Rectangle<int> bounds (0, 0, width, height);

    g.setColour (box.findColour (juce::ComboBox::backgroundColourId));
    g.fillRoundedRectangle (bounds.toFloat(), corner);
    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle (bounds.toFloat().reduced (0.5f, 0.5f), corner, 1.0f);

    const juce::Rectangle<int> arrowZone (width - 30, 0, 20, height);
    const auto middle = (float) (height / 2);
    juce::Path path;
    path.startNewSubPath ((float) arrowZone.getX() + 3.0f, middle - 2.0f);
    path.lineTo ((float) arrowZone.getCentreX(), middle + 3.0f);
    path.lineTo ((float) arrowZone.getRight() - 3.0f, middle - 2.0f);

    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withAlpha (box.isEnabled() ? 0.9f : 0.2f));
    g.strokePath (path, juce::PathStrokeType (2.0f));
}

juce::Font MenuBox::MenuLAF::getComboBoxFont (juce::ComboBox& box)
{
    return compat::fontFor (comboTypefaceName(), "Bold", comboFontHeight (box.getHeight()), *this);
}

void MenuBox::MenuLAF::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (0, 0, box.getWidth(), box.getHeight());
    label.setFont (getComboBoxFont (box));
}

void MenuBox::ButtonLAF::drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour&, bool, bool) {}
} // namespace hoa::gui
