// Normalisation of the preferences object.
import { describe, expect, it } from 'vitest';
import { normalizePrefs } from './prefs';

describe('preferences normalisation', () => {
  it('gives the defaults for an empty or foreign value', () => {
    const d = { lang: 'en', flowOverlayEnabled: true, tutorialProgress: { completedLessons: [], dismissedHints: [] }, toneTabOrder: ['upper', 'lower'], knobMode: 'scaling' };
    expect(normalizePrefs({})).toEqual(d);
    expect(normalizePrefs(null)).toEqual(d);
    expect(normalizePrefs([1, 2])).toEqual(d);
  });

  it('takes the language from the first browser language starting with "ja"', () => {
    expect(normalizePrefs({}, ['en-US', 'ja-JP']).lang).toBe('ja');
    expect(normalizePrefs({}, ['de', 'en']).lang).toBe('en');
    expect(normalizePrefs({ lang: 'en' }, ['ja']).lang).toBe('en');
    expect(normalizePrefs({ lang: 'fr' }, ['de']).lang).toBe('en');
  });

  it.each([
    [{ knobMode: 'jump' }, 'knobMode', 'jump'],
    [{ knobMode: 'Pickup' }, 'knobMode', 'scaling'],
    [{ toneTabOrder: ['lower', 'upper'] }, 'toneTabOrder', ['lower', 'upper']],
    [{ toneTabOrder: ['lower', 'lower'] }, 'toneTabOrder', ['upper', 'lower']],
    [{ toneTabOrder: 'lower' }, 'toneTabOrder', ['upper', 'lower']],
    [{ flowOverlayEnabled: false }, 'flowOverlayEnabled', false],
    [{ flowOverlayEnabled: 0 }, 'flowOverlayEnabled', true],
  ])('%j gives %s = %j', (raw, key, expected) => {
    expect((normalizePrefs(raw) as unknown as Record<string, unknown>)[key]).toEqual(expected);
  });

  it('keeps tutorial progress strings and the optional lesson and scene', () => {
    const p = normalizePrefs({ tutorialProgress: { completedLessons: ['a', 3, 'b'], dismissedHints: 'x', currentLesson: 'l1', currentScene: 7 } });
    expect(p.tutorialProgress).toEqual({ completedLessons: ['a', 'b'], dismissedHints: [], currentLesson: 'l1' });
  });
});
