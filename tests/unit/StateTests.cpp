#include "PluginProcessor.h"
#include "TestSupport.h"
#include "common/StateReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace
{
const char* const allIds[] = { "inputID", "bodyID", "mainID", "punchID", "outputID", "air1ID", "clipDrive1ID", "bypassID" };

juce::MemoryBlock saveState (PluginProcessor& p)
{
    juce::MemoryBlock block;
    p.getStateInformation (block);
    return block;
}

juce::ValueTree parse (const juce::MemoryBlock& block)
{
    return juce::ValueTree::readFromData (block.getData(), block.getSize());
}

juce::MemoryBlock toBlob (const juce::ValueTree& tree)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    tree.writeToStream (out);
    out.flush();
    return block;
}

float realValue (PluginProcessor& p, const char* id)
{
    return torka::test::realValue (p.treeState, id);
}

void setReal (PluginProcessor& p, const char* id, float value)
{
    torka::test::setRealValue (p.treeState, id, value);
}

std::vector<float> allValues (PluginProcessor& p)
{
    std::vector<float> values;
    for (auto* id : allIds)
        values.push_back (realValue (p, id));
    return values;
}

void setDistinctValues (PluginProcessor& p)
{
    setReal (p, "inputID", -12.5f);
    setReal (p, "bodyID", 38.21f);
    setReal (p, "mainID", 60.53f);
    setReal (p, "punchID", 0.49f);
    setReal (p, "outputID", 3.0f);
    setReal (p, "air1ID", 7.0f);
    setReal (p, "clipDrive1ID", 22.39f);
    setReal (p, "bypassID", 1.0f);
}

juce::ValueTree paramChild (const juce::ValueTree& state, const char* id)
{
    return state.getChildWithProperty ("id", juce::String (id));
}
} // namespace

TEST (PluginState, FreshInstanceSavesEightParamsAndTheVariablesTree)
{
    PluginProcessor processor;
    const auto state = parse (saveState (processor));

    ASSERT_TRUE (state.hasType ("PARAMETERS"));
    ASSERT_EQ (state.getNumChildren(), 9);

    for (auto* id : allIds)
    {
        SCOPED_TRACE (id);
        const auto child = paramChild (state, id);
        ASSERT_TRUE (child.hasType ("PARAM"));
        ASSERT_TRUE (child.hasProperty ("value"));
        EXPECT_TRUE (child["value"].isDouble()) << "real value stored as a floating-point number";
        EXPECT_EQ ((double) child["value"], 0.0);
    }

    const auto variables = state.getChild (8);
    ASSERT_TRUE (variables.hasType ("Variables"));
    EXPECT_EQ (variables.getNumProperties(), 0);
    ASSERT_EQ (variables.getNumChildren(), 2);
    EXPECT_TRUE (variables.getChild (0).hasType ("Parameter"));
    EXPECT_EQ (variables.getChild (0)["id"].toString(), "presetFolder");
    EXPECT_TRUE (variables.getChild (0)["value"].isString());
    EXPECT_EQ (variables.getChild (0)["value"].toString(), "");
    EXPECT_EQ (variables.getChild (1)["id"].toString(), "size");
    EXPECT_TRUE (variables.getChild (1)["value"].isInt());
    EXPECT_EQ ((int) variables.getChild (1)["value"], 2);
}

TEST (PluginState, SavesRealValuesNotNormalisedOnes)
{
    PluginProcessor processor;
    setReal (processor, "inputID", -12.5f);
    setReal (processor, "bodyID", 38.21f);
    const auto state = parse (saveState (processor));

    EXPECT_NEAR ((double) paramChild (state, "inputID")["value"], -12.5, 1.0e-4);
    EXPECT_NEAR ((double) paramChild (state, "bodyID")["value"], 38.21, 1.0e-4);
}

TEST (PluginState, RoundTripRestoresEveryParameterAndClearsUndo)
{
    PluginProcessor source;
    setDistinctValues (source);
    source.variableTree.setProperty (hoa::TreeItems::presetFolder, "/somewhere/presets", nullptr);
    source.variableTree.setProperty (hoa::TreeItems::currentPreset, "WARM MASTER", nullptr);
    const auto blob = saveState (source);

    PluginProcessor target;
    target.undoManager.beginNewTransaction();
    setReal (target, "bodyID", 99.0f);
    target.treeState.state.setProperty ("marker", 1, &target.undoManager);
    ASSERT_TRUE (target.undoManager.canUndo());

    target.setStateInformation (blob.getData(), (int) blob.getSize());

    EXPECT_EQ (allValues (target), allValues (source));
    EXPECT_FALSE (target.undoManager.canUndo());
    EXPECT_EQ (target.variableTree[hoa::TreeItems::presetFolder].toString(), "/somewhere/presets");
    EXPECT_EQ (target.variableTree[hoa::TreeItems::currentPreset].toString(), "WARM MASTER");
}

TEST (PluginState, SaveAfterRestoreHoldsExactlyOneVariablesChild)
{
    PluginProcessor source;
    source.variableTree.setProperty (hoa::TreeItems::currentPreset, "HOT AIR", nullptr);
    const auto blob = saveState (source);

    PluginProcessor target;
    target.setStateInformation (blob.getData(), (int) blob.getSize());
    const auto first = parse (saveState (target));
    int count = 0;
    for (const auto& child : first)
        count += child.hasType ("Variables") ? 1 : 0;
    EXPECT_EQ (count, 1);
    EXPECT_EQ (first.getChild (first.getNumChildren() - 1)[hoa::TreeItems::currentPreset].toString(), "HOT AIR");

    // The restored child and the variables tree are one object: later changes are saved.
    target.variableTree.setProperty (hoa::TreeItems::currentPreset, "INIT", nullptr);
    const auto second = parse (saveState (target));
    EXPECT_EQ (second.getChildWithName ("Variables")[hoa::TreeItems::currentPreset].toString(), "INIT");
    EXPECT_EQ (second.getNumChildren(), 9);
}

TEST (PluginState, RepeatedSavesAreIdentical)
{
    PluginProcessor processor;
    setDistinctValues (processor);
    EXPECT_EQ (saveState (processor), saveState (processor));

    const auto blob = saveState (processor);
    processor.setStateInformation (blob.getData(), (int) blob.getSize());
    EXPECT_EQ (saveState (processor), saveState (processor));
    EXPECT_EQ (saveState (processor), blob);
}

TEST (PluginState, PartialBlobsApplyAsFarAsTheyGo)
{
    PluginProcessor source;
    setDistinctValues (source);
    const auto full = parse (saveState (source));

    {
        SCOPED_TRACE ("no Variables child: parameters set, variables kept");
        auto tree = full.createCopy();
        tree.removeChild (tree.getChildWithName ("Variables"), nullptr);
        PluginProcessor target;
        target.variableTree.setProperty (hoa::TreeItems::currentPreset, "KEEP", nullptr);
        target.setStateInformation (toBlob (tree).getData(), (int) toBlob (tree).getSize());
        EXPECT_EQ (allValues (target), allValues (source));
        EXPECT_EQ (target.variableTree[hoa::TreeItems::currentPreset].toString(), "KEEP");
    }
    {
        SCOPED_TRACE ("mainID without value goes to its default");
        auto tree = full.createCopy();
        paramChild (tree, "mainID").removeProperty ("value", nullptr);
        PluginProcessor target;
        setReal (target, "mainID", 40.0f);
        const auto blob = toBlob (tree);
        target.setStateInformation (blob.getData(), (int) blob.getSize());
        EXPECT_EQ (realValue (target, "mainID"), 0.0f);
        EXPECT_NEAR (realValue (target, "bodyID"), 38.21f, 1.0e-4f);
    }
    {
        SCOPED_TRACE ("no punchID child keeps the current Punch");
        auto tree = full.createCopy();
        tree.removeChild (paramChild (tree, "punchID"), nullptr);
        PluginProcessor target;
        setReal (target, "punchID", 0.8f);
        const auto blob = toBlob (tree);
        target.setStateInformation (blob.getData(), (int) blob.getSize());
        EXPECT_NEAR (realValue (target, "punchID"), 0.8f, 1.0e-6f);
        EXPECT_NEAR (realValue (target, "clipDrive1ID"), 22.39f, 1.0e-4f);
        EXPECT_EQ (parse (saveState (target)).getNumChildren(), 9) << "the missing child is recreated";
    }
    {
        SCOPED_TRACE ("unknown children and properties survive the next save");
        auto tree = full.createCopy();
        juce::ValueTree extra ("PARAM");
        extra.setProperty ("id", "fromTheFuture", nullptr);
        extra.setProperty ("value", 3.0, nullptr);
        tree.addChild (extra, 0, nullptr);
        tree.setProperty ("note", "kept", nullptr);
        PluginProcessor target;
        const auto blob = toBlob (tree);
        target.setStateInformation (blob.getData(), (int) blob.getSize());
        const auto saved = parse (saveState (target));
        EXPECT_TRUE (paramChild (saved, "fromTheFuture").isValid());
        EXPECT_EQ (saved["note"].toString(), "kept");
        EXPECT_EQ (allValues (target), allValues (source));
    }
    {
        SCOPED_TRACE ("a tree of any type is accepted");
        auto tree = full.createCopy();
        juce::ValueTree renamed ("SomethingElse");
        renamed.copyPropertiesAndChildrenFrom (tree, nullptr);
        PluginProcessor target;
        const auto blob = toBlob (renamed);
        target.setStateInformation (blob.getData(), (int) blob.getSize());
        EXPECT_EQ (allValues (target), allValues (source));
    }
}

// Builders for blobs in JUCE's binary tree format, to write hostile ones by hand.
namespace
{
struct Blob
{
    juce::MemoryOutputStream out;

    Blob& str (const char* s) { out.writeString (s); return *this; }
    Blob& count (int n) { out.writeCompressedInt (n); return *this; }
    Blob& byte (int b) { out.writeByte ((char) b); return *this; }
    Blob& bytes (std::initializer_list<int> bs) { for (auto b : bs) byte (b); return *this; }
    Blob& doubleVar (double d) { count (9).byte (4); out.writeDouble (d); return *this; }

    juce::MemoryBlock get() const { return out.getMemoryBlock(); }
};

juce::MemoryBlock text (const char* s)
{
    return { s, std::strlen (s) };
}

juce::MemoryBlock deeplyNested (int depth)
{
    Blob b;
    for (int i = 0; i < depth; ++i)
        b.str ("T").count (0).count (1);
    b.str ("T").count (0).count (0);
    return b.get();
}

juce::MemoryBlock paramWithValue (double value)
{
    return Blob().str ("PARAMETERS").count (0).count (1)
                 .str ("PARAM").count (2).str ("id").count (8).byte (5).str ("bodyID")
                 .str ("value").doubleVar (value).count (0)
                 .get();
}
} // namespace

TEST (PluginState, UnreadableOrHostileBlobsChangeNothing)
{
    PluginProcessor reference;
    setDistinctValues (reference);
    reference.variableTree.setProperty (hoa::TreeItems::currentPreset, "MIX FINISHER", nullptr);
    const auto good = saveState (reference);

    juce::Random random (42);
    juce::MemoryBlock noise (4096);
    random.fillBitsRandomly (noise.getData(), noise.getSize());

    juce::MemoryBlock truncatedInParam (good.getData(), good.getSize() / 2);
    juce::MemoryBlock truncatedAtEnd (good.getData(), good.getSize() - 1);

    const std::pair<const char*, juce::MemoryBlock> cases[] = {
        { "empty", {} },
        { "one zero byte", juce::MemoryBlock (1, true) },
        { "random bytes", noise },
        { "plain text", text ("not a state at all") },
        { "XML instead of the binary form", text ("<PARAMETERS><PARAM id=\"bodyID\" value=\"3\"/></PARAMETERS>") },
        { "truncated half-way", truncatedInParam },
        { "truncated by one byte", truncatedAtEnd },
        { "type without terminator", Blob().bytes ({ 'P', 'A', 'R' }).get() },
        { "negative property count", Blob().str ("PARAMETERS").bytes ({ 0x81, 0x05 }).get() },
        { "property count far beyond the data", Blob().str ("PARAMETERS").count (0x7fffffff).get() },
        { "child count far beyond the data", Blob().str ("PARAMETERS").count (0).count (0x7fffffff).get() },
        { "over-long count encoding", Blob().str ("PARAMETERS").bytes ({ 0x05, 1, 2, 3, 4, 5 }).get() },
        { "binary property larger than the data", Blob().str ("P").count (1).str ("x").count (0x7ffffff0).byte (8).get() },
        { "array with a huge item count", Blob().str ("P").count (1).str ("x").count (6).byte (7).count (0x7fffffff).get() },
        { "empty property name", Blob().str ("P").count (1).str ("").count (1).byte (2).count (0).get() },
        { "children nested far too deep", deeplyNested (100000) },
        // Not UTF-8: it would read back as other characters, and a saved state would no
        // longer restore to itself.
        { "type that is not UTF-8", Blob().bytes ({ 'P', 0xc0, 0x05, 0 }).count (0).count (0).get() },
        { "overlong UTF-8 in a type", Blob().bytes ({ 'P', 0xc0, 0xab, 0 }).count (0).count (0).get() },
        { "a UTF-16 surrogate in a type", Blob().bytes ({ 'P', 0xed, 0xa0, 0x80, 0 }).count (0).count (0).get() },
        { "string value that is not UTF-8", Blob().str ("P").count (1).str ("x").count (4).bytes ({ 5, 0xff, 'a', 0 }).count (0).get() },
        // Never written by the plug-in; JUCE casts such a number to text or int undefinedly.
        { "a NaN parameter value", paramWithValue (std::numeric_limits<double>::quiet_NaN()) },
        { "an infinite parameter value", paramWithValue (-std::numeric_limits<double>::infinity()) },
        { "a NaN id", Blob().str ("PARAMETERS").count (0).count (1)
                            .str ("PARAM").count (2).str ("id").doubleVar (std::numeric_limits<double>::quiet_NaN())
                            .str ("value").doubleVar (3.0).count (0).get() },
        { "a NaN number deep in the variables", Blob().str ("PARAMETERS").count (0).count (1)
                                                      .str ("Variables").count (1).str ("size")
                                                      .doubleVar (std::numeric_limits<double>::quiet_NaN()).count (0).get() },
        { "a double cut short", Blob().str ("P").count (1).str ("x").count (9).bytes ({ 4, 0, 0, 0 }).get() },
    };

    for (const auto& [name, blob] : cases)
    {
        SCOPED_TRACE (name);
        PluginProcessor target;
        target.setStateInformation (good.getData(), (int) good.getSize());
        target.undoManager.beginNewTransaction();
        target.treeState.state.setProperty ("marker", 1, &target.undoManager);
        const auto before = saveState (target);

        target.setStateInformation (blob.getData(), (int) blob.getSize());

        EXPECT_EQ (allValues (target), allValues (reference));
        EXPECT_EQ (saveState (target), before);
        EXPECT_TRUE (target.undoManager.canUndo()) << "an unreadable blob leaves the undo history alone";
    }

    PluginProcessor target;
    target.setStateInformation (nullptr, 100);
    target.setStateInformation (good.getData(), -5);
    EXPECT_EQ (allValues (target), std::vector<float> (8, 0.0f));
}

TEST (PluginState, WellFormedCheckAcceptsWhatJuceWrites)
{
    juce::ValueTree tree ("Root");
    tree.setProperty ("int", 3, nullptr);
    tree.setProperty ("int64", (juce::int64) 1 << 40, nullptr);
    tree.setProperty ("double", 2.5, nullptr);
    tree.setProperty ("bool", true, nullptr);
    tree.setProperty ("string", juce::String::fromUTF8 ("text with \xc3\xbcn\xc3\xaf" "code, \xe2\x82\xac and \xf0\x9f\x8e\xb8"), nullptr);
    tree.setProperty ("binary", juce::var (juce::MemoryBlock ("\0\1\2", 3)), nullptr);
    juce::Array<juce::var> array { 1, "two", 3.0, juce::Array<juce::var> { 4 } };
    tree.setProperty ("array", array, nullptr);
    tree.appendChild (juce::ValueTree ("Child").setProperty ("x", 1, nullptr), nullptr);

    const auto blob = toBlob (tree);
    EXPECT_TRUE (hoa::isWellFormedStateTree (blob.getData(), blob.getSize()));
    EXPECT_TRUE (hoa::readStateTree (blob.getData(), (int) blob.getSize()).isEquivalentTo (tree));

    // Every strict prefix is incomplete.
    for (size_t n = 0; n < blob.getSize(); ++n)
        EXPECT_FALSE (hoa::isWellFormedStateTree (blob.getData(), n)) << "prefix of " << n << " bytes";
}

// The tree state takes a value from any child whose id names a parameter, last one
// winning, so a value that is no number must not slip in through a child of another type.
TEST (PluginState, ValuesThatAreNoNumberKeepTheCurrentValueInChildrenOfAnyType)
{
    for (const auto* type : { "PARAM", "Variables", "Anything" })
    {
        SCOPED_TRACE (type);
        PluginProcessor target;
        setReal (target, "bypassID", 1.0f);

        juce::ValueTree state ("PARAMETERS");
        state.appendChild (juce::ValueTree ("PARAM", { { "id", "bypassID" }, { "value", 0.0 } }), nullptr);
        state.appendChild (juce::ValueTree (type, { { "id", "bypassID" }, { "value", "nan" } }), nullptr);
        const auto blob = toBlob (state);
        target.setStateInformation (blob.getData(), (int) blob.getSize());

        const auto bypass = target.treeState.getParameter ("bypassID")->getValue();
        EXPECT_TRUE (std::isfinite (bypass));
        EXPECT_EQ (bypass, 1.0f) << "the last child named the parameter, with no usable value";

        const auto saved = saveState (target);
        target.setStateInformation (saved.getData(), (int) saved.getSize());
        EXPECT_EQ (saveState (target), saved);
    }
}

// A value stored as text is read as a number; text that overflows or is not a number
// keeps the current value, and the next save stores a number.
TEST (PluginState, TextValuesAreReadAsNumbers)
{
    struct Case { const char* text; float expected; };
    const Case cases[] = {
        { "55", 55.0f },
        { "12.345", 12.35f },
        { "12abc", 12.0f },
        { "nan", 20.0f },
        { "1e999", 20.0f },
        { "1e9999999999999", 20.0f },
        { "-1e99911111111111111111111", 20.0f },
        { "1e-99911111111111111111111", 0.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        PluginProcessor target;
        setReal (target, "bodyID", 20.0f);

        juce::ValueTree state ("PARAMETERS");
        state.appendChild (juce::ValueTree ("PARAM", { { "id", "bodyID" }, { "value", juce::String (c.text) } }), nullptr);
        const auto blob = toBlob (state);
        target.setStateInformation (blob.getData(), (int) blob.getSize());
        EXPECT_NEAR (realValue (target, "bodyID"), c.expected, 1.0e-4f);

        const auto saved = parse (saveState (target)).getChildWithProperty ("id", "bodyID");
        ASSERT_TRUE (saved.isValid());
        EXPECT_TRUE (saved["value"].isDouble()) << "the raw text was stored again";
    }
}
