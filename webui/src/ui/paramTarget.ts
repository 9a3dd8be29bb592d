// Binds a drag target to a parameter: gestures and value messages, mirroring, wheel steps in real units.
import { beginGesture, endGesture, userGestureSet, userSetParam } from '../state/actions';
import { defaultNorm, params } from '../state/params';
import { paramInfo } from '../model/paramInfo';
import type { DragTarget } from './drag';

export function paramTarget(index: number): DragTarget {
  const info = paramInfo(index);
  return {
    get: () => params[index].norm.peek(),
    set: (v) => userSetParam(index, v),
    begin: () => beginGesture(index),
    end: () => endGesture(index),
    reset: () => userGestureSet(index, defaultNorm(index)),
    wheelStep: (fine) => {
      if (info.wheelStep === undefined) return fine ? 0.004 : 0.02;
      if (info.enumTexts) return 1 / (info.enumTexts.length - 1);
      const d = params[index].desc.peek();
      const range = d ? d.max - d.min : info.max - info.min;
      return (fine ? info.wheelStep / 10 : info.wheelStep) / range;
    },
  };
}
