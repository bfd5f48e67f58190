// The names an imported brain uses for its own facts, modes and
// collections. Every one begins with "aiml-", so that it does not meet a
// predicate of the imported content.
#pragma once

namespace varnex::aiml::names {

// Modes. The categories are in the first mode, the brain's "Default".
inline constexpr const char* kContentMode = "Default";
inline constexpr const char* kFrontMode = "aiml-front";
inline constexpr const char* kThatMode = "aiml-that";
inline constexpr const char* kSentenceMode = "aiml-sentences";
inline constexpr const char* kSraiMode = "aiml-srai";
inline constexpr const char* kCaptureMode = "aiml-capture";

// Facts.
inline constexpr const char* kTyped = "aiml-typed";      // the input as the user typed it
inline constexpr const char* kReply = "aiml-reply";      // what a category answered
inline constexpr const char* kAnswer = "aiml-answer";    // the answers of the sentences so far
inline constexpr const char* kSeparator = "aiml-sep";    // blank between sentence answers
inline constexpr const char* kThatWords = "aiml-that";   // the last sentence of the last answer, normalised
inline constexpr const char* kThatRaw = "aiml-that-raw";  // the same as it was said
inline constexpr const char* kRaw = "aiml-raw";          // the sentence being answered, as typed
inline constexpr const char* kSentence = "aiml-sentence";
inline constexpr const char* kCapture = "aiml-capture";  // the EXTRACT template of a capture
inline constexpr const char* kSkip = "aiml-skip";        // text a capture passes over
inline constexpr const char* kDepth = "aiml-depth";      // how deep <srai> calls are nested
inline constexpr const char* kSraiText = "aiml-srai-text";  // the text of a <srai>, made before it runs
inline constexpr const char* kDice = "aiml-dice";        // the draw of an inline <random>
inline constexpr const char* kInputPrefix = "aiml-input-";  // aiml-input-1 is the sentence being answered
// aiml-number- followed by a digit is the number marker, followed by
// nothing it is empty: ^Fact{aiml-number-^MemberX{aiml-numbers|0}}.
inline constexpr const char* kNumberPrefix = "aiml-number-";
inline constexpr const char* kTopic = "topic";
inline constexpr const char* kSize = "aiml-size";
inline constexpr const char* kBotPrefix = "bot.";
inline constexpr const char* kMapPrefix = "map.";

// What ends every text handed from one mode to the next: a sentence, the
// text of a <srai>. Its absence tells a user's input that reached a mode
// where it does not belong (after an input was stopped half way).
inline constexpr const char* kEndOfText = "<eos>";

// Collections (all unsorted: word order matters).
inline constexpr const char* kWords = "aiml-words";
inline constexpr const char* kThatCollection = "aiml-that-words";
inline constexpr const char* kTopicWords = "aiml-topic-words";
inline constexpr const char* kCondWords = "aiml-cond";
inline constexpr const char* kCondWords2 = "aiml-cond2";
inline constexpr const char* kDigits = "aiml-digits";    // 0 to 9
inline constexpr const char* kNumbers = "aiml-numbers";  // the digits that begin a number of the sentence
inline constexpr const char* kLearnLines = "aiml-learn";
inline constexpr const char* kLearnWords = "aiml-learn-words";  // and a number
inline constexpr const char* kDicePrefix = "aiml-dice-";

// How many earlier sentences <input index="n"/> can reach.
inline constexpr int kInputHistory = 5;

}  // namespace varnex::aiml::names
