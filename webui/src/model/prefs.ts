// The page's preferences object and the rules that normalise it on every read.

export type Lang = 'en' | 'ja';
export type KnobMode = 'jump' | 'pickup' | 'scaling';

export interface TutorialProgress {
  completedLessons: string[];
  dismissedHints: string[];
  currentLesson?: string;
  currentScene?: string;
}

export interface UiPrefs {
  lang: Lang;
  flowOverlayEnabled: boolean;
  tutorialProgress: TutorialProgress;
  toneTabOrder: ['upper', 'lower'] | ['lower', 'upper'];
  knobMode: KnobMode;
}

export const kDevPrefsKey = 'velmora.ui-prefs.dev';

/** "ja" when the first browser language that starts with "ja" exists, else "en". */
export function defaultLang(languages: readonly string[]): Lang {
  return languages.some((l) => typeof l === 'string' && l.toLowerCase().startsWith('ja')) ? 'ja' : 'en';
}

const strings = (v: unknown): string[] => (Array.isArray(v) ? v.filter((s): s is string => typeof s === 'string') : []);

export function normalizePrefs(raw: unknown, languages: readonly string[] = []): UiPrefs {
  const o = raw && typeof raw === 'object' && !Array.isArray(raw) ? (raw as Record<string, unknown>) : {};
  const tp = o.tutorialProgress && typeof o.tutorialProgress === 'object' ? (o.tutorialProgress as Record<string, unknown>) : {};
  const tutorialProgress: TutorialProgress = {
    completedLessons: strings(tp.completedLessons),
    dismissedHints: strings(tp.dismissedHints),
  };
  if (typeof tp.currentLesson === 'string') tutorialProgress.currentLesson = tp.currentLesson;
  if (typeof tp.currentScene === 'string') tutorialProgress.currentScene = tp.currentScene;
  const order = o.toneTabOrder;
  const lowerFirst = Array.isArray(order) && order.length === 2 && order[0] === 'lower' && order[1] === 'upper';
  const km = o.knobMode;
  return {
    lang: o.lang === 'en' || o.lang === 'ja' ? o.lang : defaultLang(languages),
    flowOverlayEnabled: typeof o.flowOverlayEnabled === 'boolean' ? o.flowOverlayEnabled : true,
    tutorialProgress,
    toneTabOrder: lowerFirst ? ['lower', 'upper'] : ['upper', 'lower'],
    knobMode: km === 'jump' || km === 'pickup' || km === 'scaling' ? km : 'scaling',
  };
}
